// The quadecho tool run as users run it, on real files: what it writes, what it refuses.
#include "ToolTestSupport.h"

#include "cli/DemoSignal.h"
#include "cli/Plot.h"
#include "core/Parameters.h"
#include "tests/support/DefaultResponse.h"

#include <cmath>
#include <optional>

using namespace tooltest;
using quadecho::testsupport::kDefaultResponse;

namespace {

using Args = std::vector<std::string>;

Args operator+(Args args, const Args& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The arguments as a failure message shows them.
std::string shown(const Args& args)
{
    std::string s;
    for (const std::string& a : args)
        s += (s.empty() ? "'" : " '") + a + "'";
    return s;
}

struct Tool : ::testing::Test {
    void SetUp() override { SKIP_WHERE_THREADS_HANG(); } // every case starts the tool
    // The tool with args; with interruptAfter (seconds) it is interrupted that far in.
    Result tool(const Args& args, std::optional<int> interruptAfter = std::nullopt)
    {
        // In the foreground timeout signals the tool alone; otherwise its process group gets the
        // signal a second time, and a second interrupt ends the tool at once.
        Args argv = {"timeout", "--foreground", "--preserve-status",
                     "-s",      "INT",          std::to_string(interruptAfter.value_or(50))};
        return run(argv + onTarget(QUADECHO_TOOL) + args);
    }
    std::string file(const std::string& name) const { return dir / name; } // in the scratch folder
    static std::string faulty(const std::string& name) { return FAULTY_MODULES + name; }
    ScratchDir dir;
};

TEST_F(Tool, RendersTheImpulseResponseInAnyFormatForAsLongAsTheTailRuns)
{
    // A mono input feeds both inputs; 24 bits hold the response to well within the tolerance.
    writeSound(dir / "in.flac", 1, 44100, {0.5f}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    ASSERT_EQ(tool({"render", file("in.flac"), file("out.AIF"), "--tail", "1.814059", "--block", "512"}).status, 0);
    const Sound s = readSound(dir / "out.AIF"); // a tail of 80000 frames
    ASSERT_EQ(std::tuple(SndfileHandle(dir / "out.AIF").format() & SF_FORMAT_TYPEMASK, s.rate, s.channels, s.frames()),
              std::tuple(SF_FORMAT_AIFF, 44100, 2, std::size_t{80001}));
    for (std::size_t f = 0; f < s.frames(); ++f) {
        const auto [left, right] = kDefaultResponse.count(f) ? kDefaultResponse.at(f) : std::pair(0.0f, 0.0f);
        ASSERT_LT(std::fabs(s.at(f, 0) - left), 2e-6f) << "frame " << f << ", left";
        ASSERT_LT(std::fabs(s.at(f, 1) - right), 2e-6f) << "frame " << f << ", right";
    }
    // Without an input, the demo signal, and no tail.
    ASSERT_EQ(tool({"render", file("demo.wav"), "--tail", "0"}).status, 0);
    EXPECT_EQ(readSound(dir / "demo.wav").frames(), qtool::demoSignal().size());
    // Written beside itself on a file system other than the working folder's, with the permissions
    // any new file gets (as the input got them).
    ScratchDir elsewhere{"/dev/shm/quadecho-test-XXXXXX"};
    const Result r = tool({"render", file("in.flac"), elsewhere / "out.wav", "--tail", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(static_cast<int>(fs::status(elsewhere / "out.wav").permissions()),
              static_cast<int>(fs::status(dir / "in.flac").permissions()));

    // An impulse in the input's second frame at 8000 Hz.
    struct Case {
        Args options;
        std::optional<std::size_t> tailFrames; // none: until 800 ms have passed below -90 dBFS
        const char* summary;                   // what the summary on stdout says
    };
    const Case cases[] = {
        // By index: the four tap times at 10 to 40 ms, tap 4 not fed back; 40 ms of quiet after the last echo.
        {{"--set", "0=10", "--set", "4=20", "--set", "8=30", "--set", "12=40", "--set", "14=0"}, 320 + 320, ""},
        {{}, std::nullopt, ""}, // the longest tap is 800 ms; tap 4 feeds back and dies away
        {{"--set", "Tap 4 feedback=100", "--set", "Master feedback=200"}, 30 * 8000, ""}, // never quiet: capped
        // A module that is not the effect: its mono input the mean of both sides, through its
        // accumulating callback, for as long as the tail it declares.
        {{"--plugin", faulty("plain.so")},
         4000,
         ": 1 channel at 8000 Hz, 0.00 s of input and 0.50 s of echo tail, peak -44.4 dBFS"}};
    writeSound(dir / "in.wav", 2, 8000, {0.0f, 0.0f, 0.008f, 0.004f});
    for (const Case& c : cases) {
        const Args args = Args{"render", file("in.wav"), file("out.wav")} + c.options;
        const Result r = tool(args);
        EXPECT_EQ(r.status, 0) << shown(args) << ": " << r.err;
        EXPECT_NE(r.out.find(c.summary), r.out.npos) << shown(args) << ": " << r.out;
        const Sound out = readSound(dir / "out.wav");
        std::size_t lastLoud = 0;
        for (std::size_t i = 0; i < out.samples.size(); ++i)
            lastLoud = std::fabs(out.samples[i]) >= 3.1622776e-5f ? i / 2 : lastLoud;
        EXPECT_EQ(out.frames(), c.tailFrames ? 2 + *c.tailFrames : lastLoud + 1 + 6400) << shown(args);
    }
}

TEST_F(Tool, InfoShowsTheIdentityAndTakesValuesInTheParametersOwnUnitAfterTheProgram)
{
    // Values by name or index in the parameter's own unit; the program, selected before the values wherever it
    // stands, does not undo them. The plain module: its name cleaned, what it does not say unknown, no programs.
    using namespace quadecho;
    struct Value {
        int index;
        double normalised; // the last word of the parameter's line
    };
    struct Case {
        Args args;
        std::vector<const char*> lines; // on stdout
        std::vector<Value> values;
    };
    const Case cases[] = {
        {{"info", "--set", "tap 1 TIME = 500 ms", "--program", "3", "--set", std::to_string(kTap2Time) + "=1000ms",
          "--set", "Filter Cutoff=632.4555hz", "--set", "Tap 4 feedback=20%", "--set", "Tap 3 level=+1"},
         {"Effect:      VelqQuadecho\n", "Product:     Quadecho Delay\n", "Category:    Effect\n",
          "Vendor:      Velmorn Quaddle (version 65542, 0x10006)\n", "Unique ID:   VQqe\n", "Interface:   2400\n",
          "Inputs:      2\n", "Outputs:     2\n", "Flags:       CanReplacing (16)\n", "Latency:     0 samples\n",
          "Programs (8, current 3)\n", "\n  0  Defaults\n", "3  Defaults  (current)\n",
          "\n  17  Filter Cutoff    Hz     632.5    0.500000\n"},
         {{kTap1Time, 0.25}, {kTap2Time, 0.5}, {kFilterCutoff, 0.5}, {kTap4Feedback, 0.2}, {kTap3Level, 1.0}}},
        {{"info", "--plugin", faulty("plain.so"), "--set", "gain=0.5n"},
         {"Effect:      Plain?module\n", "Category:    Unknown (99)\n", "Flags:       none (0)\n",
          "Programs (0, current 0)\n"},
         {{0, 0.5}}}};
    for (const Case& c : cases) {
        const Result r = tool(c.args);
        for (const char* line : c.lines)
            EXPECT_NE(r.out.find(line), std::string::npos) << shown(c.args) << ": " << line << r.err;
        for (const Value& v : c.values) {
            std::smatch m;
            const std::regex row("\n *" + std::to_string(v.index) + "  .* ([0-9.]+)\n");
            EXPECT_NEAR(std::regex_search(r.out, m, row) ? std::stod(m[1]) : -1, v.normalised, 2e-6)
                << shown(c.args) << ": parameter " << v.index;
        }
    }
}

TEST(DemoSignal, IsPluckedNotesThatEndQuietWithoutOffsetBelowHalfScale)
{
    const std::vector<float> s = qtool::demoSignal(44100);
    double peak = 0.0, end = 0.0, sum = 0.0, energy = 0.0, change = 0.0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        peak = std::max<double>(peak, std::fabs(s[i])), sum += s[i], energy += s[i] * s[i];
        change += (s[i] - s[i - 1]) * (s[i] - s[i - 1]);
        end = i + 44 >= s.size() ? std::max<double>(end, std::fabs(s[i])) : 0.0; // the last millisecond
    }
    EXPECT_LT(std::fabs(peak - 0.45), 1e-6) << "peak";
    EXPECT_LT(std::fabs(sum), 0.02 * s.size()) << "mean " << sum / s.size();
    EXPECT_LT(end, 0.005) << "the last millisecond: no click at the end";
    // Notes, not hiss: far less energy in the change from sample to sample.
    EXPECT_LT(change, 0.25 * energy) << change / energy << " of the energy in the change";
    // The same on every processor: the render of the demo depends on it.
    EXPECT_LT(std::fabs(energy - 702.904928), 1e-6) << "energy " << energy;
}

TEST_F(Tool, BadInputOrAnInterruptFailsWithAClearMessageAndLeavesNoOutput)
{
    writeSound(dir / "in.wav", 2, 48000, std::vector<float>(1600, 0.5f));
    const std::string byIndex = std::to_string(quadecho::kTap1Time) + "=1.5n";
    const auto render = [&](const Args& more) { return Args{"render", file("in.wav")} + more; };
    const std::string out = file("out.wav");
    struct Case {
        Args args;
        std::string message; // in stderr
        int status;          // 1: refused, 2: a malformed command line, 130: interrupted
        std::optional<int> interruptAfter = std::nullopt;
    };
    // The plain module's units are unknown.
    const Case cases[] = {
        {{"render", file("nothing.wav"), out}, "nothing.wav': No such file", 1},
        {render({out, "--set", "23=0.5n"}), "unknown parameter '23'", 1},
        {render({out, "--set", "Tap 1 time=fast"}), "fast", 1},
        {render({out, "--set", "Tap 1 time=2500"}), "2000", 1},
        {render({out, "--set", byIndex}), byIndex, 1},
        {render({out, "--program", "8"}), "program 8", 1},
        {render({file("./in.wav")}), "in.wav", 1},
        {render({file("out.xyz")}),
         "out.xyz' from its extension: use one of aiff, au, avr, caf, flac, htk, iff, mat, mpc, m1a, oga, paf, pvf, "
         "raw, rf64, sd2, sds, sf, voc, w64, wav, wve, xi\n",
         1},
        {render({file("no/out.wav")}), "no/out.wav", 1},
        {render({out, "--plugin", file("none.so")}), "none.so", 1},
        {render({out, "--plugin", faulty("no_entry.so")}), "entry point", 1},
        {render({out, "--plugin", faulty("null_effect.so")}), "no effect", 1},
        {render({out, "--plugin", faulty("bad_magic.so")}), "not an effect", 1},
        {render({out, "--plugin", faulty("bad_counts.so")}), "cannot be right", 1},
        {render({out, "--plugin", faulty("counts_change.so")}), "changed its inputs or outputs", 1},
        {render({out, "--plugin", faulty("plain.so"), "--program", "0"}), "no programs", 1},
        {render({out, "--plugin", faulty("plain.so"), "--set", "Gain=0.5"}), "Gain=0.5n", 1},
        {{"plot", file("out.svg"), "--set", "Nope=1"}, "Nope", 1},
        {render({out, "--preset", file("in.wav")}), "in.wav': the file is not a program or bank file", 1},
        {render({out, "--preset", QUADECHO_PRESETS "/quadecho-factory.fxb"}), "is a bank file: give it with --bank", 1},
        {render({out, "--bank", file("in.wav"), "--preset", file("in.wav")}), "", 2},
        {{"save", file("out.txt")}, "out.txt': the name must end in .fxp", 1},
        {{"plot", file("out.svg"), "--filter", "--plugin", faulty("plain.so")}, "not the Quadecho effect", 1},
        {render({out, "--block", "0"}), "", 2},
        {render({out, file("third.wav")}), "", 2},
        // With an hour of tail still to come: by then a terminal would show a progress bar, a file never.
        {render({file("out.flac"), "--tail", "3600"}), "interrupted", 130, 2}};
    const std::string original = slurp(dir / "in.wav");
    const auto before = dir.entries();
    for (const Case& c : cases) {
        const Result r = tool(c.args, c.interruptAfter);
        const std::string what = shown(c.args) + ": " + r.err;
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_NE(r.err.find(c.message), r.err.npos) << what;
        EXPECT_EQ(r.err.find('\r'), r.err.npos) << what;
        // The tool's own messages name it; the command-line parser's end their line.
        EXPECT_NE(r.err.find(c.status == 2 ? "\n" : "quadecho: "), r.err.npos) << what;
        // No output, no temporary file left behind, the input as it was.
        EXPECT_TRUE(dir.entries() == before) << what << ": files left behind";
        EXPECT_TRUE(slurp(dir / "in.wav") == original) << what << ": the input changed";
    }
}

TEST_F(Tool, SavesProgramsAndBanksThatReadBackToTheSameValues)
{
    const Args settings = {"--program", "3",
                           "--preset",  QUADECHO_PRESETS "/02-ping-pong-1-4-120-bpm.fxp",
                           "--set",     "Tap 2 time=333",
                           "--set",     "Filter Type=2.5",
                           "--set",     "Filter Cutoff=4321"};
    EXPECT_NE(tool(Args{"save", file("p.fxp")} + settings).out.find("p.fxp: program \"Ping-Pong 1/4 120 BPM\"\n"),
              std::string::npos);
    const auto parameters = [&](const Args& args) {
        const std::string out = tool(args).out;
        return out.substr(out.find("Parameters"));
    };
    EXPECT_EQ(parameters({"info", "--preset", file("p.fxp"), "--program", "3"}), parameters(Args{"info"} + settings));
    EXPECT_NE(parameters(Args{"info"} + settings).find("  3  Ping-Pong 1/4 120 BPM  (current)\n"), std::string::npos);
    // The factory bank through the tool: the same bytes, its programs' names, the one --program selects.
    EXPECT_NE(tool({"save", file("b.fxb"), "--bank", QUADECHO_PRESETS "/quadecho-factory.fxb"})
                  .out.find("b.fxb: 8 programs\n"),
              std::string::npos);
    EXPECT_EQ(slurp(dir / "b.fxb"), slurp(QUADECHO_PRESETS "/quadecho-factory.fxb"));
    EXPECT_NE(tool({"info", "--bank", file("b.fxb"), "--program", "4"})
                  .out.find("  3  Wide Doubler\n  4  Dub Spiral  (current)\n"),
              std::string::npos);
}

// What users already have stays as it is: the factory bank as released, and the README's pictures
// as the commands beside them draw them.
TEST_F(Tool, FactoryBankAndReadmePicturesStayAsPublished)
{
    EXPECT_EQ(slurp(QUADECHO_PRESETS "/quadecho-factory.fxb"),
              slurp(QUADECHO_SOURCE "/tests/presets/data/quadecho-factory.fxb"));
    const std::pair<Args, std::string> pictures[] = {
        {{"plot", file("p.svg"), "--set", "Tap 4 feedback=70", "--set", "Filter Type=1", "--set", "Filter Cutoff=1200"},
         "impulse-response.svg"},
        {{"plot", "--filter", file("p.svg"), "--set", "Filter Type=2", "--set", "Filter Cutoff=5000", "--set",
          "Filter Q=0.5"},
         "filter-response.svg"}};
    if (crossBuilt())
        GTEST_SKIP() << "the README's pictures are drawn on the build machine, and compared there";
    for (const auto& [args, picture] : pictures) {
        const Result r = tool(args);
        EXPECT_EQ(r.status, 0) << shown(args) << ": " << r.err;
        EXPECT_TRUE(slurp(dir / "p.svg") == slurp(QUADECHO_SOURCE "/docs/" + picture))
            << picture << ": draw it again with " << shown(args);
    }
}

TEST_F(Tool, PlotDrawsItsViewsOnThePageWithRoundTicksAndEscapedText)
{
    // In dB the first echo (0 dB) rises from the floor (-80 dB, y 290) to the frame's top (y 70).
    struct Case {
        Args options;
        std::vector<const char*> texts; // on the page
        std::size_t traces;             // drawn
    };
    const Case cases[] = {
        {{"--set", "Tap 1 time=300", "--length", "2"},
         {"<svg xmlns=\"http://www.w3.org/2000/svg\"", ">Left<", ">Right<", "Tap 1 time=", ">-80<", "290.00V70.00"},
         2},
        {{"--linear"}, {"scaled to 1<", ">0.5<"}, 2},
        // A cutoff and sweep above the cap: the filter runs at the cap, and the page says why.
        {{"--filter", "--set", "Filter Cutoff=1000", "--set", "Filter Sweep=0.6"},
         {">filter at 1759 Hz<", ">set 2086 Hz<", "capped at 0.25, so every cutoff above 1759 Hz at 44100 Hz gives"},
         1},
        // The mark at 500 Hz: ln(500 / 20) / ln(24000 / 20) of the way across the frame.
        {{"--filter", "--rate", "48000", "--set", "Filter Cutoff=500", "--set", "Filter Type=2"},
         {">cutoff 500 Hz<", "; 48000 Hz<", "<line x1=\"465.0\"", "middle\">20<", "middle\">20000<"},
         1}};
    for (const Case& c : cases) {
        const std::string options = shown(c.options);
        ASSERT_EQ(tool(Args{"plot", file("ir.svg")} + c.options).status, 0) << options;
        const std::string svg = slurp(dir / "ir.svg");
        for (const char* text : c.texts)
            EXPECT_NE(svg.find(text), svg.npos) << options << ": " << text;
        const auto all = [&](const char* pattern) {
            const std::regex e(pattern);
            return std::vector<std::smatch>(std::sregex_iterator(svg.begin(), svg.end(), e), std::sregex_iterator());
        };
        // Only the columns an echo reaches are drawn; the filter's trace is one line.
        EXPECT_EQ(all("class=\"trace[^\"]*\" d=\"M").size(), c.traces) << options;
        EXPECT_LT(all("M[0-9]").size(), 60u) << options << ": moves";
        // Everything drawn lies on the page.
        const auto page = all("(width|height)=\"([0-9.]+)\"");        // the page's own come first
        for (const auto& m : all("\\b([xy])[12]?=\"(-?[0-9.]+)\"")) { // the traces lie within their frames
            EXPECT_GE(std::stod(m[2]), 0.0) << m[0];
            EXPECT_LE(std::stod(m[2]), std::stod(page[m[1] == "y"][2])) << m[0];
        }
        // Ticks at 1, 2 or 5 times a power of ten, and multiples: two significant digits at most.
        for (const auto& m : all("class=\"tick\"[^>]*>([^<]*)<"))
            EXPECT_LE(std::regex_replace(m[1].str(), std::regex("[-.]|^[-0.]+|0+$"), "").size(), 2u) << m[1];
    }
    const std::string escaped = qtool::impulseResponseSvg({{1.0f, 0.0f}}, 2.0, "<a & \"b\">", "");
    EXPECT_NE(escaped.find(">&lt;a &amp; &quot;b&quot;&gt;<"), std::string::npos) << escaped;
}

} // namespace
