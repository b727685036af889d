// The quadecho tool run as users run it, on real files: what it writes, what it refuses.
#include "ToolTestSupport.h"

#include "base/ParameterIndex.h"

#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <thread>

using namespace tooltest;

namespace {

const std::string kFaulty = FAULTY_MODULES;
const std::string kDebianModule = "/usr/lib/vst/ZamDelay-vst.so";
constexpr int kZamDelayTime = 1; // that module's parameter "Time"

Result tool(std::vector<std::string> args)
{
    args.insert(args.begin(), QUADECHO_TOOL);
    return run(args);
}

// The normalised value `info` shows for a parameter index: the last word of its line.
double normalisedShown(const std::string& info, int index)
{
    std::istringstream lines(info.substr(info.find("Parameters")));
    const std::string start = std::to_string(index) + "  ";
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of(' ') == line.find(start))
            return std::stod(line.substr(line.find_last_of(' ') + 1));
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
        // A tail of 80000 frames.
        const Result r = tool({"render", dir / "impulse.wav", dir / "out.wav", "--block", block, "--tail", "1.814059"});
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        ASSERT_EQ(out.channels, 2);
        ASSERT_EQ(out.frames(), 80001u);
        EXPECT_EQ(out.rate, 44100);
        for (std::size_t f = 0; f < out.frames(); ++f) {
            const auto it = kDefaultResponse.find(f);
            const bool echo = it != kDefaultResponse.end();
            const auto [left, right] = echo ? it->second : std::pair(0.0f, 0.0f);
            ASSERT_NEAR(out.at(f, 0), left, echo ? 2e-6f : 0.0f) << "frame " << f;
            ASSERT_NEAR(out.at(f, 1), right, echo ? 2e-6f : 0.0f) << "frame " << f;
        }
    }
}

TEST(Info, SetTakesValuesInTheParametersOwnUnitAfterTheProgram)
{
    using namespace quadecho;
    const std::tuple<std::string, int, double> cases[] = {
        {"Tap 1 time=500", kTap1Time, 0.25},
        {"tap 1 TIME = 500 ms", kTap1Time, 0.25},
        {std::to_string(kTap2Time) + "=1000ms", kTap2Time, 0.5}, // a parameter by its index
        {"Filter Cutoff=632.4555", kFilterCutoff, 0.5},
        {"Filter Cutoff=8000Hz", kFilterCutoff, 1.0},
        {"Tap 2 pan=0.5", kTap2Pan, 0.75},
        {"Tap 4 feedback=20%", kTap4Feedback, 0.2},
        {"Master feedback=150", kMasterFeedback, 0.75},
        {"Filter Q=1", kFilterQ, 1.0},
        {"Saturation=0.25n", kSaturation, 0.25},
        {"Tap 3 level=+0.5", kTap3Level, 0.5},
    };
    for (const auto& [set, index, normalised] : cases) {
        const Result r = tool({"info", "--set", set});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NEAR(normalisedShown(r.out, index), normalised, 2e-6) << set;
    }
    // The program is selected first: the setting is not lost to it.
    const Result r = tool({"info", "--program", "3", "--set", "Tap 1 time=1000"});
    EXPECT_NE(r.out.find("current 3"), std::string::npos) << r.out;
    EXPECT_NEAR(normalisedShown(r.out, kTap1Time), 0.5, 1e-6);
}

TEST(Render, EveryReadableFormatAndLayoutFeedsBothInputsAlike)
{
    const std::pair<const char*, int> inputs[] = {{"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                                  {"mono.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                                  {"mono.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
                                                  {"mono.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24}};
    ScratchDir dir;
    std::vector<float> reference;
    for (const auto& [name, format] : inputs) {
        SCOPED_TRACE(name);
        writeSound(dir / name, impulse(name[0] == 's' ? 2 : 1, 22050, 0.5f, 100), format);
        const Result r = tool({"render", dir / name, dir / "out.wav", "--set", "Tap 4 feedback=0", "--tail", "1"});
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        EXPECT_EQ(out.rate, 22050);
        ASSERT_EQ(out.channels, 2);
        if (reference.empty())
            reference = out.samples;
        EXPECT_EQ(out.samples, reference);
    }
}

TEST(Render, TailRunsUntilQuietForTheLongestTapOrAsAsked)
{
    // Frames after the one-frame impulse at 8000 Hz; none: until 800 ms have passed below -90 dBFS.
    const std::pair<std::vector<std::string>, std::optional<std::size_t>> cases[] = {
        {{"--set", "Tap 1 time=10", "--set", "Tap 2 time=20", "--set", "Tap 3 time=30", "--set", "Tap 4 time=40",
          "--set", "Tap 4 feedback=0"},
         320 + 320},        // 40 ms of quiet after the last echo
        {{}, std::nullopt}, // the longest tap is 800 ms; tap 4 feeds back and dies away
        {{"--tail", "0.5"}, 4000},
        {{"--tail", "0"}, 0},
        {{"--set", "Tap 4 feedback=100", "--set", "Master feedback=200"}, 30 * 8000}, // never quiet: capped
    };
    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f));
    for (const auto& [options, frames] : cases) {
        std::vector<std::string> args = {"render", dir / "in.wav", dir / "out.wav"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = tool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const Sound out = readSound(dir / "out.wav");
        std::size_t lastLoud = 0;
        for (std::size_t i = 0; i < out.samples.size(); ++i)
            if (std::fabs(out.samples[i]) >= 3.1622776e-5f)
                lastLoud = i / 2;
        EXPECT_EQ(out.frames(), 1 + frames.value_or(lastLoud + 6400)) << testing::PrintToString(options);
    }
}

TEST(BadInput, FailsWithAClearMessageAndLeavesNoOutput)
{
    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f, 800));
    std::ofstream(dir / "notes.txt") << "not a sound\n";
    fs::create_hard_link(dir / "in.wav", dir / "same.wav");
    const std::string in = dir / "in.wav", out = dir / "out.wav";
    const std::string outOfRangeByIndex = std::to_string(quadecho::kTap1Time) + "=1.5n";
    const struct {
        std::vector<std::string> args;
        std::string message; // part of what stderr must say
    } cases[] = {
        {{"render", dir / "nothing.wav", out}, "nothing.wav"},
        {{"render", dir / "notes.txt", out}, "notes.txt"},
        {{"render", dir.path.string(), out}, dir.path.string()},
        {{"render", in, out, "--set", "Tap 9 time=10"}, "Tap 9 time"},
        {{"render", in, out, "--set", "Tap 1 time=fast"}, "fast"},
        {{"render", in, out, "--set", "Tap 1 time=1e999"}, "1e999"},
        {{"render", in, out, "--set", "Tap 1 time=2500"}, "2000"},
        {{"render", in, out, "--set", outOfRangeByIndex}, outOfRangeByIndex},
        {{"render", in, out, "--program", "8"}, "program 8"},
        {{"render", in, dir / "./in.wav"}, "in.wav"},
        {{"render", in, dir / "same.wav"}, "same.wav"},
        {{"render", in, dir / "out.xyz"}, "out.xyz"},
        {{"render", in, dir / "no/out.wav"}, "no/out.wav"},
        {{"render", in, out, "--plugin", dir / "none.so"}, "none.so"},
        {{"render", in, out, "--plugin", dir / "notes.txt"}, "notes.txt"},
        {{"render", in, out, "--plugin", kFaulty + "no_entry.so"}, "entry point"},
        {{"render", in, out, "--plugin", kFaulty + "null_effect.so"}, "no effect"},
        {{"render", in, out, "--plugin", kFaulty + "bad_magic.so"}, "not an effect"},
        {{"render", in, out, "--plugin", kFaulty + "bad_counts.so"}, "cannot be right"},
        {{"render", in, out, "--plugin", kFaulty + "counts_change.so"}, "changed its inputs or outputs"},
        {{"plot", dir / "out.svg", "--set", "Nope=1"}, "Nope"},
    };
    const std::string original = slurp(in);
    const auto before = dir.entries();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args.back());
        const Result r = tool(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("quadecho: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(dir.entries(), before); // no output, no temporary file left behind
        EXPECT_EQ(slurp(in), original);
    }
}

TEST(BadInput, InterruptedRenderLeavesNoOutput)
{
    ScratchDir dir, logs;
    writeSound(dir / "in.wav", impulse(2, 8000, 0.5f));
    const auto before = dir.entries();
    const pid_t pid =
        start({QUADECHO_TOOL, "render", dir / "in.wav", dir / "out.wav", "--tail", "3600"}, logs / "out", logs / "err");
    ASSERT_GT(pid, 0);
    // Interrupt once the output is being written, while hours of tail are still to come.
    while (dir.entries() == before)
        std::this_thread::yield();
    kill(pid, SIGINT);
    EXPECT_EQ(wait(pid), 130);
    EXPECT_EQ(dir.entries(), before);
    EXPECT_NE(slurp(logs / "err").find("interrupted"), std::string::npos);
}

TEST(Plot, DrawsBothChannelsAsAnSvgPage)
{
    ScratchDir dir;
    const Result r = tool({"plot", dir / "ir.svg", "--set", "Tap 1 time=300", "--length", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = slurp(dir / "ir.svg");
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    for (const char* part : {">Left<", ">Right<", "Tap 1 time=300", "</svg>"})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    const std::string trace = "class=\"trace\" d=\"M";
    std::size_t traces = 0;
    for (auto at = svg.find(trace); at != std::string::npos; at = svg.find(trace, at + 1))
        ++traces;
    EXPECT_EQ(traces, 2u);
}

TEST(DebianModule, RendersThroughZamDelay)
{
    if (!fs::exists(kDebianModule))
        GTEST_SKIP() << kDebianModule << " is not installed (scripts/install-deps.sh installs zam-plugins)";
    const Result info = tool({"info", "--plugin", kDebianModule, "--set", "Time=0.25n"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("ZamDelay"), std::string::npos);
    EXPECT_NEAR(normalisedShown(info.out, kZamDelayTime), 0.25, 1e-6);
    // Another module's units are unknown: only normalised values, and the message says so.
    const Result plain = tool({"info", "--plugin", kDebianModule, "--set", "Time=300"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find("Time=0.5n"), std::string::npos) << plain.err;

    ScratchDir dir;
    writeSound(dir / "in.wav", impulse(2, 48000, 0.5f, 4800));
    const Result r = tool(
        {"render", dir / "in.wav", dir / "out.wav", "--plugin", kDebianModule, "--set", "Time=0.01n", "--tail", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Sound out = readSound(dir / "out.wav");
    EXPECT_EQ(out.rate, 48000);
    ASSERT_EQ(out.channels, 1); // the module has one output
    EXPECT_EQ(out.frames(), 4800u + 48000u);
    EXPECT_TRUE(std::any_of(out.samples.begin(), out.samples.end(), [](float s) { return s != 0.0f; }));
}

} // namespace
