// Ardour, a host nobody here wrote, scans the module and renders audio through it; what it
// records must match `quadecho render` of the same input with the same values.
#include "ToolTestSupport.h"

#include "tools/Noise.h"

#include <chrono>
#include <cmath>

using namespace tooltest;

namespace {

constexpr int kRate = 48000;
// Ardour fades the transport in over its first few thousand samples and out when it stops: the
// input starts this late, and the comparison ends this early.
constexpr std::size_t kLeadIn = 16384, kLeadOut = 8192;

// Every part of the signal path away from its default, as INDEX=NORMALISED: taps 1 to 4 at 120,
// 250, 370 and 490 ms, taps 2 and 4 fed back, some dry signal mixed in, the filter between low-
// and band-pass at about 1.7 kHz with a sweep, some saturation.
const std::string kValues[] = {"0=0.06", "4=0.125", "6=0.3",  "8=0.185",  "12=0.245", "14=0.45",
                               "16=0.6", "17=0.7",  "18=0.5", "19=0.375", "20=0.1",   "21=0.2"};

// The files (left, right) an Ardour session script says its track recorded.
std::vector<std::string> recorded(const std::vector<std::string>& script)
{
    const Result r = run(script, 120);
    const std::regex source("(^|\n)source ([^\n]*)");
    const std::vector<std::string> paths(std::sregex_token_iterator(r.out.begin(), r.out.end(), source, 2), {});
    EXPECT_TRUE(r.status == 0 && paths.size() == 2) << r.out << r.err;
    return paths;
}

TEST(ArdourHost, ScansTheModuleAndRendersWhatQuadechoRenders)
{
    SKIP_WHERE_THREADS_HANG();
    std::string v = "9"; // the newest of Ardour 7, 8 and 9
    for (; !fs::exists("/usr/bin/ardour" + v + "-lua"); --v[0])
        if (v == "7")
            GTEST_SKIP() << "Ardour is not installed (scripts/install-deps.sh installs it)";
    const std::string libraryDir = "/usr/lib/ardour" + v, lua = "/usr/bin/ardour" + v + "-lua";

    // Ardour keeps its settings and its index of scanned plug-ins here, not in the user's home.
    ScratchDir scratch;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "LXVST_PATH"})
        setenv(variable, (scratch / variable).c_str(), 1);
    fs::create_directories(scratch / "LXVST_PATH");
    const std::string module = scratch / "LXVST_PATH/quadecho.so", scripts = ARDOUR_SCRIPTS;
    fs::copy_file(QUADECHO_MODULE, module);
    // Ardour trusts its index only if it is newer than the module, to the second.
    fs::last_write_time(module, fs::file_time_type::clock::now() - std::chrono::minutes(1));
    const Result scan =
        run({"env", "LD_LIBRARY_PATH=" + libraryDir, libraryDir + "/ardour-vst-scanner", "-f", "-v", module});
    EXPECT_EQ(scan.status, 0) << scan.out << scan.err; // the render below finds the effect in its index by name

    // The recorded silence becomes the input: same files, same length, new samples: after the
    // lead-in, a second of decaying bursts of noise, different on the two sides.
    const std::string session = scratch / "session", samples = std::to_string(3 * kRate);
    const auto paths = recorded({lua, scripts + "/RecordSilence.lua", scripts, session, samples});
    ASSERT_EQ(paths.size(), 2u);
    const std::size_t frames = readSound(paths[0]).frames();
    std::vector<float> input(2 * frames), sides[2] = {std::vector<float>(frames), std::vector<float>(frames)};
    Noise noise(12345, 0.5f);
    for (std::size_t k = 2 * kLeadIn; k < std::min(input.size(), 2 * (kLeadIn + kRate)); ++k)
        sides[k % 2][k / 2] = input[k] = float(std::exp(-24.0 * std::fmod(k / 2.0 / kRate, 0.25))) * noise.next();
    for (int c = 0; c < 2; ++c)
        writeSound(paths[c], 1, kRate, sides[c]);
    writeSound(scratch / "input.wav", 2, kRate, input);

    // Both take INDEX=VALUE; the tool marks the value as normalised.
    std::vector<std::string> render = {QUADECHO_TOOL, "render", scratch / "input.wav", scratch / "expected.wav"};
    std::vector<std::string> script = {lua, scripts + "/RenderThroughPlugin.lua", scripts, session, samples};
    script.push_back("VelqQuadecho"), render.insert(render.end(), {"--tail", "0"});
    for (const std::string& value : kValues)
        script.push_back(value), render.insert(render.end(), {"--set", value + "n"});
    ASSERT_EQ(run(render).status, 0);
    const auto outputs = recorded(script);
    ASSERT_EQ(outputs.size(), 2u);
    const Sound expected = readSound(scratch / "expected.wav"), got[2] = {readSound(outputs[0]), readSound(outputs[1])};

    // The module declares no latency: Ardour's recording lines up with ours.
    const std::size_t end = std::min({expected.frames(), got[0].frames(), got[1].frames()}) - kLeadOut;
    float worst = 0.0f, peak = 0.0f;
    for (std::size_t i = kLeadIn; i < end; ++i)
        for (int c = 0; c < 2; ++c) {
            worst = std::max(worst, std::fabs(expected.at(i, c) - got[c].samples[i]));
            peak = std::max(peak, std::fabs(expected.at(i, c)));
        }
    EXPECT_TRUE(peak > 0.1f && worst <= 1e-6f) << peak << " peak, " << worst << " apart";
}

} // namespace
