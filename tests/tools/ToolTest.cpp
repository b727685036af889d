// The quadecho tool run as users run it, on real files: what it writes, what it refuses.
#include "ToolTestSupport.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>

using namespace tooltest;

namespace {

const std::string kTool = QUADECHO_TOOL;
const std::string kFaultyModules = FAULTY_MODULES;
const std::string kDebianModule = "/usr/lib/vst/ZamDelay-vst.so";

std::vector<std::string> tool(std::vector<std::string> args)
{
    args.insert(args.begin(), kTool);
    return args;
}

std::string seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9f", s);
    return text;
}

// The normalised value `info` shows for a parameter index, or -1.
double normalisedShown(const std::string& info, int index)
{
    std::istringstream lines(info.substr(info.find("Parameters")));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, last, word;
        words >> first;
        while (words >> word)
            last = word;
        if (first == std::to_string(index))
            return std::stod(last);
    }
    return -1.0;
}

// The defaults answer a 0.5 impulse with four taps panned left to right at 200..800 ms, the
// clipper taking 0.5 to 0.481481, and tap 4 feeding back 40 % of it.
const std::map<std::size_t, std::pair<float, float>> kDefaultResponse = {
    {8820, {0.481481f, 0.0f}},        {17640, {0.320988f, 0.160494f}}, {26460, {0.160494f, 0.320988f}},
    {35280, {0.0f, 0.481481f}},       {44100, {0.191534f, 0.0f}},      {52920, {0.127690f, 0.0638448f}},
    {61740, {0.0638448f, 0.127690f}}, {70560, {0.0f, 0.191534f}},      {79380, {0.0765471f, 0.0f}},
};

TEST(Render, ImpulseComesOutAsTheEffectsImpulseResponseAtAnyBlockSize)
{
    ScratchDir dir;
    writeSound(dir / "impulse.wav", impulse(2, 44100, 0.5f));
    for (const char* block : {"1", "512", "4096"}) {
        SCOPED_TRACE(std::string("block ") + block);
        const Result r = run(tool({"render", (dir / "impulse.wav").string(), (dir / "out.wav").string(), "--block",
                                   block, "--tail", seconds(80000.0 / 44100.0)}));
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        ASSERT_EQ(out.channels.size(), 2u);
        ASSERT_EQ(out.frames(), 80001u);
        EXPECT_EQ(out.rate, 44100);
        int mismatches = 0;
        for (std::size_t f = 0; f < out.frames() && mismatches < 5; ++f) {
            const auto it = kDefaultResponse.find(f);
            const float l = it == kDefaultResponse.end() ? 0.0f : it->second.first;
            const float rr = it == kDefaultResponse.end() ? 0.0f : it->second.second;
            const float tolerance = it == kDefaultResponse.end() ? 0.0f : 2e-6f;
            if (std::fabs(out.channels[0][f] - l) > tolerance || std::fabs(out.channels[1][f] - rr) > tolerance) {
                ADD_FAILURE() << "frame " << f << ": (" << out.channels[0][f] << ", " << out.channels[1][f]
                              << ") expected (" << l << ", " << rr << ")";
                ++mismatches;
            }
        }
    }
}

TEST(Info, SetTakesValuesInTheParametersOwnUnit)
{
    const struct {
        const char* set;
        int index;
        double normalised;
    } cases[] = {
        {"Tap 1 time=500", 0, 0.25},         {"tap 1 TIME = 500 ms", 0, 0.25},  {"4=1000ms", 4, 0.5},
        {"Filter Cutoff=632.4555", 17, 0.5}, {"Filter Cutoff=8000Hz", 17, 1.0}, {"Tap 2 pan=0.5", 5, 0.75},
        {"Tap 4 feedback=20%", 14, 0.2},     {"Master feedback=150", 22, 0.75}, {"Filter Q=1", 18, 1.0},
        {"Saturation=0.25n", 21, 0.25},      {"Tap 3 level=+0.5", 11, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        const Result r = run(tool({"info", "--set", c.set}));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NEAR(normalisedShown(r.out, c.index), c.normalised, 2e-6);
    }
}

TEST(Info, ProgramIsSelectedBeforeTheSettings)
{
    const Result r = run(tool({"info", "--program", "3", "--set", "Tap 1 time=1000"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("current 3"), std::string::npos) << r.out;
    EXPECT_NEAR(normalisedShown(r.out, 0), 0.5, 1e-6);
}

TEST(Render, EveryReadableFormatAndLayoutFeedsBothInputsAlike)
{
    ScratchDir dir;
    const struct {
        const char* name;
        int channels;
        int format;
    } inputs[] = {
        {"stereo.wav", 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"mono.wav", 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"mono.aiff", 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"mono.flac", 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    };
    std::vector<std::vector<float>> reference;
    for (const auto& in : inputs) {
        SCOPED_TRACE(in.name);
        writeSound(dir / in.name, impulse(in.channels, 22050, 0.5f, 100), in.format);
        const Result r = run(tool({"render", (dir / in.name).string(), (dir / "out.wav").string(), "--set",
                                   "Tap 4 feedback=0", "--tail", "1"}));
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        EXPECT_EQ(out.rate, 22050);
        ASSERT_EQ(out.channels.size(), 2u);
        if (reference.empty())
            reference = out.channels;
        EXPECT_EQ(out.channels, reference);
    }
}

TEST(Render, TailRunsUntilQuietForTheLongestTapOrAsAsked)
{
    // Taps at 10..40 ms without feedback: the last echo leaves at 40 ms, then 40 ms of quiet.
    const std::vector<std::string> shortTaps = {"--set", "Tap 1 time=10",   "--set", "Tap 2 time=20",
                                                "--set", "Tap 3 time=30",   "--set", "Tap 4 time=40",
                                                "--set", "Tap 4 feedback=0"};
    const std::vector<std::string> endless = {"--set", "Tap 4 feedback=100", "--set", "Master feedback=200"};
    const struct {
        const char* name;
        std::vector<std::string> options;
        std::optional<std::size_t> frames; // after the one-frame impulse, at 8000 Hz; none: open-ended
    } cases[] = {
        {"quiet after the last echo", shortTaps, 320 + 320},
        {"longest tap is 800 ms, then 40 % feedback dies away", {"--set", "Tap 4 feedback=40"}, std::nullopt},
        {"fixed length", {"--tail", "0.5"}, 4000},
        {"no tail", {"--tail", "0"}, 0},
        {"never quiet: capped at 30 s", endless, 30 * 8000},
    };
    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = tool({"render", (dir / "in.wav").string(), (dir / "out.wav").string()});
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        if (c.frames) {
            EXPECT_EQ(out.frames(), 1 + *c.frames);
            continue;
        }
        // Open-ended: the file ends once 800 ms have passed below -90 dBFS, and not before.
        const std::size_t window = 6400;
        ASSERT_GT(out.frames(), window);
        for (std::size_t f = out.frames() - window; f < out.frames(); ++f)
            ASSERT_LT(std::max(std::fabs(out.channels[0][f]), std::fabs(out.channels[1][f])), 3.1623e-5f)
                << "frame " << f;
        const std::size_t last = out.frames() - window - 1;
        EXPECT_GE(std::max(std::fabs(out.channels[0][last]), std::fabs(out.channels[1][last])), 3.16e-5f);
    }
}

TEST(BadInput, FailsWithAClearMessageAndLeavesNoOutput)
{
    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f, 800));
    std::ofstream(dir / "notes.txt") << "not a sound\n";
    fs::create_hard_link(dir / "in.wav", dir / "same.wav");
    const std::string in = (dir / "in.wav").string();
    const std::string out = (dir / "out.wav").string();
    const std::string svg = (dir / "out.svg").string();
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string message; // part of what stderr must say
    } cases[] = {
        {"missing input", {"render", (dir / "nothing.wav").string(), out}, "nothing.wav"},
        {"input is not sound", {"render", (dir / "notes.txt").string(), out}, "notes.txt"},
        {"input is a folder", {"render", dir.path.string(), out}, dir.path.string()},
        {"unknown parameter", {"render", in, out, "--set", "Tap 9 time=10"}, "Tap 9 time"},
        {"value not a number", {"render", in, out, "--set", "Tap 1 time=fast"}, "fast"},
        {"not a number either", {"render", in, out, "--set", "Tap 1 time=1e999"}, "1e999"},
        {"value out of range", {"render", in, out, "--set", "Tap 1 time=2500"}, "2000"},
        {"normalised out of range", {"render", in, out, "--set", "0=1.5n"}, "0=1.5n"},
        {"no such program", {"render", in, out, "--program", "8"}, "program 8"},
        {"output over input", {"render", in, (dir / "." / "in.wav").string()}, "in.wav"},
        {"output over input by another name", {"render", in, (dir / "same.wav").string()}, "same.wav"},
        {"unknown output format", {"render", in, (dir / "out.xyz").string()}, "out.xyz"},
        {"output folder missing", {"render", in, (dir / "no" / "out.wav").string()}, "no/out.wav"},
        {"module missing", {"render", in, out, "--plugin", (dir / "none.so").string()}, "none.so"},
        {"module is not a library", {"render", in, out, "--plugin", (dir / "notes.txt").string()}, "notes.txt"},
        {"module without entry point", {"render", in, out, "--plugin", kFaultyModules + "no_entry.so"}, "entry point"},
        {"entry returns no effect", {"render", in, out, "--plugin", kFaultyModules + "null_effect.so"}, "no effect"},
        {"entry returns no record", {"render", in, out, "--plugin", kFaultyModules + "bad_magic.so"}, "not an effect"},
        {"record with absurd counts",
         {"render", in, out, "--plugin", kFaultyModules + "bad_counts.so"},
         "cannot be right"},
        {"plot with unknown parameter", {"plot", svg, "--set", "Nope=1"}, "Nope"},
    };
    const std::string original = slurp(in);
    const auto before = dir.entries();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = run(tool(c.args));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("quadecho: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(dir.entries(), before); // no output, no temporary file left behind
        EXPECT_EQ(slurp(in), original);
    }
}

TEST(BadInput, InterruptedRenderLeavesNoOutput)
{
    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f));
    const auto before = dir.entries();
    ScratchDir logs;
    const pid_t pid = start(tool({"render", (dir / "in.wav").string(), (dir / "out.wav").string(), "--tail", "3600"}),
                            logs / "out", logs / "err");
    ASSERT_GT(pid, 0);
    // Interrupt once the output is being written, while hours of tail are still to come.
    while (dir.entries().size() == before.size())
        std::this_thread::yield();
    kill(pid, SIGINT);
    EXPECT_EQ(wait(pid), 130);
    EXPECT_EQ(dir.entries(), before);
    EXPECT_NE(slurp(logs / "err").find("interrupted"), std::string::npos);
}

TEST(Plot, DrawsBothChannelsAsAnSvgPage)
{
    ScratchDir dir;
    const Result r = run(tool({"plot", (dir / "ir.svg").string(), "--set", "Tap 1 time=300", "--length", "2"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = slurp(dir / "ir.svg");
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(svg.find(">Left<"), std::string::npos);
    EXPECT_NE(svg.find(">Right<"), std::string::npos);
    EXPECT_NE(svg.find("Tap 1 time=300"), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    std::size_t traces = 0;
    for (auto at = svg.find("class=\"trace\" d=\"M"); at != std::string::npos;
         at = svg.find("class=\"trace\" d=\"M", at + 1))
        ++traces;
    EXPECT_EQ(traces, 2u);
}

TEST(DebianModule, RendersThroughZamDelay)
{
    if (!fs::exists(kDebianModule))
        GTEST_SKIP() << kDebianModule << " is not installed (scripts/install-deps.sh installs zam-plugins)";
    const Result info = run(tool({"info", "--plugin", kDebianModule, "--set", "Time=0.25n"}));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("ZamDelay"), std::string::npos);
    EXPECT_NEAR(normalisedShown(info.out, 1), 0.25, 1e-6);

    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 48000, 0.5f, 4800));
    const Result r = run(tool({"render", (dir / "in.wav").string(), (dir / "out.wav").string(), "--plugin",
                               kDebianModule, "--set", "Time=0.01n", "--tail", "1"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound out = readSound(dir / "out.wav");
    EXPECT_EQ(out.rate, 48000);
    ASSERT_EQ(out.channels.size(), 1u); // the module has one output
    EXPECT_EQ(out.frames(), 4800u + 48000u);
    float energy = 0.0f;
    for (float s : out.channels[0])
        energy += s * s;
    EXPECT_GT(energy, 0.0f);

    const Result plain = run(tool({"info", "--plugin", kDebianModule, "--set", "Time=300"}));
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find("Time=0.5n"), std::string::npos) << plain.err;
}

} // namespace
