// The quadecho tool run as users run it, on real files: what it writes, what it refuses.
#include "ToolTestSupport.h"

#include "cli/DemoSignal.h"
#include "cli/Plot.h"
#include "tests/support/DefaultResponse.h"

#include <algorithm>
#include <cmath>
#include <numeric>

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
std::string shown(const Args& args) { return ::testing::PrintToString(args); }

struct Tool : ::testing::Test {
    void SetUp() override { SKIP_WHERE_THREADS_HANG(); } // every case starts the tool
    // The tool with args, interrupted after that many seconds.
    Result tool(const Args& args, int interruptAfter = 50)
    {
        // In the foreground timeout signals the tool alone; otherwise its process group gets the
        // signal a second time, and a second interrupt ends the tool at once.
        Args argv = {"timeout", "--foreground", "--preserve-status", "-s", "INT", std::to_string(interruptAfter)};
        return run(argv + onTarget(QUADECHO_TOOL) + args);
    }
    ScratchDir dir;
};

TEST_F(Tool, RendersTheImpulseResponseInAnyFormatForAsLongAsTheTailRuns)
{
    // A mono input feeds both inputs; 24 bits hold the response to well within the tolerance.
    writeSound(dir / "in.flac", 1, 44100, {0.5f}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    ASSERT_EQ(tool({"render", dir / "in.flac", dir / "out.AIF", "--tail", "1.814059", "--block", "512"}).status, 0);
    const Sound s = readSound(dir / "out.AIF"); // a tail of 80000 frames
    ASSERT_EQ(std::tuple(SndfileHandle(dir / "out.AIF").format() & SF_FORMAT_TYPEMASK, s.rate, s.channels, s.frames()),
              std::tuple(SF_FORMAT_AIFF, 44100, 2, std::size_t{80001}));
    for (std::size_t f = 0; f < s.frames(); ++f) {
        const auto [left, right] = kDefaultResponse.count(f) ? kDefaultResponse.at(f) : std::pair(0.0f, 0.0f);
        ASSERT_LT(std::max(std::fabs(s.at(f, 0) - left), std::fabs(s.at(f, 1) - right)), 2e-6f)
            << "frame " << f << ": " << s.at(f, 0) << ", " << s.at(f, 1);
    }
    // Without an input, the demo signal, and no tail.
    ASSERT_EQ(tool({"render", dir / "demo.wav", "--tail", "0"}).status, 0);
    EXPECT_EQ(readSound(dir / "demo.wav").frames(), qtool::demoSignal().size());
    // Written beside itself on a file system other than the working folder's, with the permissions
    // any new file gets (as the input got them).
    ScratchDir elsewhere{"/dev/shm/quadecho-test-XXXXXX"};
    const Result r = tool({"render", dir / "in.flac", elsewhere / "out.wav", "--tail", "0"});
    EXPECT_EQ(static_cast<int>(fs::status(elsewhere / "out.wav").permissions()),
              static_cast<int>(fs::status(dir / "in.flac").permissions()))
        << r.err;

    // An impulse in the input's second frame at 8000 Hz: the options, the frames of tail and what the
    // summary on stdout says.
    const std::tuple<Args, std::size_t, const char*> cases[] = {
        // By index: the four tap times at 10 to 40 ms, tap 4 not fed back; 40 ms of quiet after the last echo.
        {{"--set", "0=10", "--set", "4=20", "--set", "8=30", "--set", "12=40", "--set", "14=0"}, 320 + 320, ""},
        {{"--set", "Tap 4 feedback=100", "--set", "Master feedback=200"}, 30 * 8000, ""}, // never quiet: capped
        // A module that is not the effect: its mono input the mean of both sides, through its
        // accumulating callback, for as long as the tail it declares.
        {{"--plugin", FAULTY_MODULES "plain.so"},
         4000,
         ": 1 channel at 8000 Hz, 0.00 s of input and 0.50 s of echo tail, peak -44.4 dBFS"},
        // A CLAP module other than Quadecho: n of its range, and the tail it declares.
        {{"--plugin", FAULTY_MODULES "other.so", "--set", "Gain=0.25n"},
         4000,
         ": 2 channels at 8000 Hz, 0.00 s of input and 0.50 s of echo tail, peak -48.0 dBFS"}};
    writeSound(dir / "in.wav", 2, 8000, {0.0f, 0.0f, 0.008f, 0.004f});
    for (const auto& [options, tailFrames, summary] : cases) {
        const Args args = Args{"render", dir / "in.wav", dir / "out.wav"} + options;
        const Result r = tool(args);
        EXPECT_EQ(r.status, 0) << shown(args) << ": " << r.err;
        EXPECT_NE(r.out.find(summary), r.out.npos) << shown(args) << ": " << r.out;
        EXPECT_EQ(readSound(dir / "out.wav").frames(), 2 + tailFrames) << shown(args);
    }
}

TEST_F(Tool, InfoShowsTheIdentityAndTakesValuesInTheParametersOwnUnitAfterTheProgram)
{
    // Values by name (in any case, spaced) or index in the parameter's own unit; the program, selected before
    // the values wherever it stands, does not undo them. The plain module: its name cleaned, what it does not
    // say unknown, its one value normalised.
    const std::pair<Args, std::vector<const char*>> cases[] = {
        {{"info", "--set", "tap 1 TIME = 500 ms", "--program", "3", "--set", "4=1000ms", "--set",
          "Filter Cutoff=632.4555hz"},
         {"Effect:      VelqQuadecho\n", "Product:     Quadecho Delay\n", "Category:    Effect\n",
          "Vendor:      Velmorn Quaddle (version 65542, 0x10006)\n", "Unique ID:   VQqe\n", "Interface:   2400\n",
          "Inputs:      2\n", "Outputs:     2\n", "Flags:       CanReplacing (16)\n", "Latency:     0 samples\n",
          "\n   0  Tap 1 time       ms     500.0    0.250000\n", "\n   4  Tap 2 time       ms     1000     0.500000\n",
          "\n  17  Filter Cutoff    Hz     632.5    0.500000\n", "\n   5  Tap 2 pan        L/R    -0.333   0.333333\n",
          "\n  14  Tap 4 feedback   %      40.00    0.400000\n", "\n  19  Filter Type             Thru     0.000000\n",
          "Programs (8, current 3)\n", "\n  0  Defaults\n", "3  Defaults  (current)\n"}},
        {{"info", "--plugin", FAULTY_MODULES "plain.so", "--set", "gain=0.5n"},
         {"Effect:      Plain?module\n", "Category:    Unknown (99)\n", "Flags:       none (0)\n", "  0.500000\n"}}};
    for (const auto& [args, lines] : cases) {
        const Result r = tool(args);
        for (const char* line : lines)
            EXPECT_NE(r.out.find(line), std::string::npos) << shown(args) << ": " << line << r.err;
    }
}

// A module exporting clap_entry is hosted as CLAP whatever its name, its values in plain units or n of
// its range. Automation lands at its frame: nothing before it changes, and through either kind of
// module the same real values give the same samples.
TEST_F(Tool, HostsClapModulesAndAutomatesEitherKindAtItsFrame)
{
    fs::copy_file(QUADECHO_CLAP, dir / "renamed.so");
    const Args clap = {"--plugin", dir / "renamed.so"};
    const Result info = tool(Args{"info", "--set", "Filter Cutoff=0.5n", "--set", "tap 1 time=250ms"} + clap);
    for (const char* line :
         {"Format:      CLAP\n", "  0  com.velmorn-quaddle.quadecho  \"VelqQuadecho\"\n",
          "Vendor:      Velmorn Quaddle\n", "Version:     1.0.6\n", "Features:    audio-effect delay stereo\n",
          "Outputs:     1 port: \"Output\", 2 channels, main\n", "Latency:     0 samples\n",
          "\n   0  Tap 1 time       0     2000  200        250.0 ms\n",
          "\n  17  Filter Cutoff    50    8000  1000       4025 Hz\n",
          "\n  22  Master feedback  0     200   100        100.0 %\n"})
        EXPECT_NE(info.out.find(line), info.out.npos) << line << info.out << info.err;

    // Values the 2.4 module's normalised storage keeps exactly; blocks of 100 frames split inside.
    const Args automated = {"--block",    "100",
                            "--tail",     "1",
                            "--set",      "Tap 1 time=500",
                            "--automate", "Filter Type=2@0.1003",
                            "--automate", "Tap 1 level=0.5@0.25",
                            "--automate", "Master feedback=50@0.25",
                            "--automate", "Tap 2 time=1000@3.5",
                            "--automate", "Tap 3 level=0.25n@9"};
    const Result byClap = tool(Args{"render", dir / "clap.wav"} + clap + automated);
    tool(Args{"render", dir / "vst.wav"} + automated);
    EXPECT_NE(byClap.err.find("--automate 'Tap 3 level=0.25n@9' falls at or after the end of the render (4.600 s)"),
              byClap.err.npos)
        << byClap.err;
    // The samples, not the files: a float WAV's peak chunk holds the time it was written.
    const Sound byClapSound = readSound(dir / "clap.wav"), by24 = readSound(dir / "vst.wav");
    EXPECT_EQ(by24.frames(), std::size_t{(36 + 10) * 4410}) << "the 2.4 module's render";
    EXPECT_TRUE(byClapSound.samples == by24.samples) << "the CLAP and the 2.4 module render differently";

    std::size_t changed[2] = {};
    for (const Args& module : {clap, Args{}}) {
        const Args rest = Args{"--block", "100", "--tail", "0.3"} + module;
        tool(Args{"render", dir / "a.wav"} + rest);
        tool(Args{"render", dir / "b.wav", "--automate", "Tap 1 level=0.5@0.25"} + rest);
        const Sound a = readSound(dir / "a.wav"), b = readSound(dir / "b.wav");
        changed[module.empty()] =
            std::mismatch(a.samples.begin(), a.samples.end(), b.samples.begin()).first - a.samples.begin();
    }
    EXPECT_EQ(changed[0], 2 * 11025u) << "CLAP: the first sample the automation changed";
    EXPECT_EQ(changed[1], 2 * 11025u) << "2.4: the first sample the automation changed";
}

// Plucked notes whose render the tool's users know: the same samples on every processor. The
// energy holds them all (a peak other than 0.45, a click at the end, an offset, hiss would change it).
TEST(DemoSignal, IsTheSameOnEveryProcessor)
{
    const std::vector<float> s = qtool::demoSignal(44100);
    const double energy = std::inner_product(s.begin() + 1, s.end(), s.begin() + 1, 0.0);
    EXPECT_LT(std::fabs(energy - 702.904928), 1e-6) << "energy " << energy;
}

TEST_F(Tool, BadInputOrAnInterruptFailsWithAClearMessageAndLeavesNoOutput)
{
    writeSound(dir / "in.wav", 2, 48000, std::vector<float>(1600, 0.5f));
    const auto render = [&](const Args& more) { return Args{"render", dir / "in.wav"} + more; };
    const std::string out = dir / "out.wav";
    const auto through = [&](const std::string& module) { return render({out, "--plugin", FAULTY_MODULES + module}); };
    // The arguments, what stderr says and the status: 1 refused, 2 a malformed command line, 130
    // interrupted (two seconds in). Each faulty module refused, the last when switched on, with the
    // output file already begun. The plain module's units are unknown.
    const std::tuple<Args, std::string, int> cases[] = {
        {{"render", dir / "nothing.wav", out}, "nothing.wav': No such file", 1},
        {render({out, "--set", "23=0.5n"}), "unknown parameter '23'", 1},
        {render({out, "--set", "Tap 1 time=fast"}), "fast", 1},
        {render({out, "--set", "Tap 1 time=2500"}), "2000", 1},
        {render({out, "--set", "0=1.5n"}), "0=1.5n", 1},
        {render({out, "--program", "8"}), "program 8", 1},
        {render({dir / "./in.wav"}), "in.wav", 1},
        {render({dir / "out.xyz"}),
         "out.xyz' from its extension: use one of aiff, au, avr, caf, flac, htk, iff, mat, mpc, m1a, oga, paf, pvf, "
         "raw, rf64, sd2, sds, sf, voc, w64, wav, wve, xi\n",
         1},
        {render({dir / "no/out.wav"}), "no/out.wav", 1},
        {render({out, "--plugin", dir / "none.so"}), "cannot load module '" + dir / "none.so", 1},
        {through("no_entry.so"), "has no entry point (neither VSTPluginMain nor main)", 1},
        {through("null_effect.so"), "its entry point returned no effect", 1},
        {through("bad_magic.so"), "something that is not an effect record", 1},
        {through("bad_counts.so"), "65 inputs, 2 outputs, 0 parameters, 0 programs", 1},
        {through("counts_change.so"), "changed its inputs or outputs when switched", 1},
        {render({out, "--plugin", FAULTY_MODULES "plain.so", "--program", "0"}), "no programs", 1},
        {render({out, "--plugin", FAULTY_MODULES "plain.so", "--set", "Gain=0.5"}), "Gain=0.5n", 1},
        {render({out, "--preset", dir / "in.wav"}), "in.wav': the file is not a program or bank file", 1},
        {render({out, "--preset", QUADECHO_PRESETS "/quadecho-factory.fxb"}), "is a bank file: give it with --bank", 1},
        {render({out, "--bank", dir / "in.wav", "--preset", dir / "in.wav"}), "", 2},
        {{"save", dir / "out.txt"}, "out.txt': the name must end in .fxp", 1},
        {{"plot", dir / "out.svg", "--filter", "--plugin", FAULTY_MODULES "plain.so"}, "not the Quadecho effect", 1},
        {render({out, "--automate", "Tap 1 time=5@-1"}), "'Tap 1 time=5@-1': a time lies at 0 seconds or later", 2},
        {render({out, "--automate", "Tap 1 time=5@soon"}), "'soon' is not a time in seconds", 2},
        {render({out, "--automate", "Tap 1 time=2500@1"}), "'Tap 1 time=2500@1': Tap 1 time ranges from 0 to 2000", 1},
        {{"plot", dir / "out.svg", "--automate", "0=1@1"}, "--automate", 2},
        {{"plot", dir / "out.svg", "--strip"},
         "plot --strip writes a PNG image: '" + dir / "out.svg' must end in .png",
         1},
        {render({out, "--plugin", QUADECHO_CLAP, "--program", "1"}), "is a CLAP module, and CLAP has no programs", 1},
        {render({out, "--plugin", QUADECHO_CLAP, "--set", "Filter Q=2"}), "Filter Q ranges from 0.01 to 1", 1},
        {{"save", dir / "p.fxp", "--plugin", QUADECHO_CLAP}, "is a CLAP module, and program and bank files", 1},
        {render({out, "--plugin", FAULTY_MODULES "other.so", "--preset", QUADECHO_PRESETS "/05-dub-spiral.fxp"}),
         "is a CLAP module other than Quadecho", 1},
        {through("process_error.so"),
         "process_error.so': the plug-in 'org.example.gain' answered an error from process", 1},
        {render({out, "--block", "0"}), "", 2},
        {render({out, dir / "third.wav"}), "", 2},
        // With an hour of tail still to come: by then a terminal would show a progress bar, a file never.
        {render({dir / "out.flac", "--tail", "3600"}), "interrupted", 130}};
    const std::string original = slurp(dir / "in.wav");
    const auto before = dir.entries();
    for (const auto& [args, message, status] : cases) {
        const Result r = tool(args, status == 130 ? 2 : 50);
        const std::string what = shown(args) + ": " + r.err;
        EXPECT_EQ(r.status, status) << what;
        EXPECT_NE(r.err.find(message), r.err.npos) << what;
        EXPECT_EQ(r.err.find('\r'), r.err.npos) << what;
        // The tool's own messages name it; the command-line parser's end their line.
        EXPECT_NE(r.err.find(status == 2 ? "\n" : "quadecho: "), r.err.npos) << what;
        // No output, no temporary file left behind, the input as it was.
        EXPECT_TRUE(dir.entries() == before) << what << ": files left behind";
        EXPECT_TRUE(slurp(dir / "in.wav") == original) << what << ": the input changed";
    }
}

TEST_F(Tool, SavesProgramsAndBanksThatReadBackToTheSameValues)
{
    const Args settings = Args{"--program", "3", "--preset", QUADECHO_PRESETS "/02-ping-pong-1-4-120-bpm.fxp"} +
                          Args{"--set", "Tap 2 time=333", "--set", "Filter Type=2.5", "--set", "Filter Cutoff=4321"};
    tool(Args{"save", dir / "p.fxp"} + settings); // read back below
    const std::string set = tool(Args{"info"} + settings).out;
    EXPECT_EQ(tool({"info", "--preset", dir / "p.fxp", "--program", "3"}).out, set);
    EXPECT_NE(set.find("  3  Ping-Pong 1/4 120 BPM  (current)\n"), std::string::npos) << set;
    // The factory bank through the tool: the bytes as released (which the generator's bank, loaded
    // and saved again, must match), its programs' names, the one --program selects.
    const std::string saved = tool({"save", dir / "b.fxb", "--bank", QUADECHO_PRESETS "/quadecho-factory.fxb"}).out;
    EXPECT_NE(saved.find("b.fxb: 8 programs\n"), saved.npos) << saved;
    EXPECT_EQ(slurp(dir / "b.fxb"), slurp(QUADECHO_SOURCE "/tests/presets/data/quadecho-factory.fxb"));
    const std::string bank = tool({"info", "--bank", dir / "b.fxb", "--program", "4"}).out;
    EXPECT_NE(bank.find("  3  Wide Doubler\n  4  Dub Spiral  (current)\n"), bank.npos) << bank;
}

// The README's pictures stay as the commands beside them draw them; the other views keep to the page.
TEST_F(Tool, PlotDrawsItsViewsOnThePageWithRoundTicksAndEscapedText)
{
    // The options, texts on the page and traces drawn. The first draw the README's pictures, which are
    // drawn on the build machine, and compared there.
    const char* const pictures[] = {"impulse-response.svg", "filter-response.svg"};
    const std::tuple<Args, std::vector<const char*>, std::size_t> cases[] = {
        {{"--set", "Tap 4 feedback=70", "--set", "Filter Type=1", "--set", "Filter Cutoff=1200"}, {}, 2},
        {{"--filter", "--set", "Filter Type=2", "--set", "Filter Cutoff=5000", "--set", "Filter Q=0.5"}, {}, 1},
        {{"--linear", "--length", "2"}, {"scaled to 1<", ">0.5<"}, 2},
        // A cutoff and sweep above the cap: the filter runs at the cap, and the page says why.
        {{"--filter", "--set", "Filter Cutoff=1000", "--set", "Filter Sweep=0.6"},
         {">filter at 1759 Hz<", ">set 2086 Hz<", "capped at 0.25, so every cutoff above 1759 Hz at 44100 Hz gives"},
         1},
        // The mark at 500 Hz: ln(500 / 20) / ln(24000 / 20) of the way across the frame.
        {{"--filter", "--rate", "48000", "--set", "Filter Cutoff=500", "--set", "Filter Type=2"},
         {">cutoff 500 Hz<", "; 48000 Hz<", "<line x1=\"465.0\"", "middle\">20<", "middle\">20000<"},
         1}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [options, texts, traces] = cases[i];
        ASSERT_EQ(tool(Args{"plot", dir / "ir.svg"} + options).status, 0) << shown(options);
        const std::string svg = slurp(dir / "ir.svg");
        if (i < std::size(pictures) && !crossBuilt()) {
            EXPECT_TRUE(svg == slurp(QUADECHO_SOURCE "/docs/" + std::string(pictures[i])))
                << pictures[i] << ": draw it again with " << shown(options);
        }
        for (const char* text : texts)
            EXPECT_NE(svg.find(text), svg.npos) << shown(options) << ": " << text;
        const auto all = [&](const char* pattern) {
            const std::regex e(pattern);
            return std::vector<std::smatch>(std::sregex_iterator(svg.begin(), svg.end(), e), std::sregex_iterator());
        };
        // Only the columns an echo reaches are drawn; the filter's trace is one line.
        EXPECT_EQ(all("class=\"trace[^\"]*\" d=\"M").size(), traces) << shown(options);
        EXPECT_LT(all("M[0-9]").size(), 60u) << shown(options) << ": moves";
    }
    const std::string escaped = qtool::impulseResponseSvg({{1.0f, 0.0f}}, 2.0, "<a & \"b\">", "");
    EXPECT_NE(escaped.find(">&lt;a &amp; &quot;b&quot;&gt;<"), std::string::npos) << escaped;
}

} // namespace
