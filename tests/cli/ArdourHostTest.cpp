// Ardour, a host nobody here wrote, scans the 2.4 module and renders audio through it, then through
// the LV2 bundle; what it records must match `quadecho render` of the same input with the same values.
#include "ToolTestSupport.h"

#include "core/Parameters.h"
#include "lv2/Ports.h"
#include "testing/Noise.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

using namespace tooltest;
using namespace quadecho::testhost;

namespace {

constexpr int kRate = 48000;
// Ardour fades the transport in over its first few thousand samples and out when it stops: the
// input starts this late, and the comparison ends this early.
constexpr std::size_t kLeadIn = 16384, kLeadOut = 8192;

// Every part of the signal path away from its default, as index and normalised value: taps 1 to 4 at 120,
// 250, 370 and 490 ms, taps 2 and 4 fed back, some dry signal mixed in, the filter between low-
// and band-pass at about 1.7 kHz with a sweep, some saturation.
const std::pair<int, float> kValues[] = {{0, 0.06f}, {4, 0.125f}, {6, 0.3f},  {8, 0.185f},  {12, 0.245f}, {14, 0.45f},
                                         {16, 0.6f}, {17, 0.7f},  {18, 0.5f}, {19, 0.375f}, {20, 0.1f},   {21, 0.2f}};

// The files (left, right) one of our session scripts, run by Ardour's Lua interpreter on a session
// of three seconds, says its track recorded; a script that fails throws, which fails the test with
// what it printed.
std::vector<std::string> recorded(const std::string& lua, const std::string& script, const std::string& session,
                                  std::vector<std::string> args = {})
{
    args.insert(args.begin(), {lua, ARDOUR_SCRIPTS "/" + script, ARDOUR_SCRIPTS, session, std::to_string(3 * kRate)});
    const Result r = run(args, 120);
    const std::regex source("(^|\n)source ([^\n]*)");
    const std::vector<std::string> paths(std::sregex_token_iterator(r.out.begin(), r.out.end(), source, 2), {});
    if (r.status != 0 || paths.size() != 2)
        throw std::runtime_error(script + ": status " + std::to_string(r.status) + "\n" + r.out + r.err);
    return paths;
}

TEST(ArdourHost, ScansTheModuleAndRendersWhatQuadechoRendersInBothFormats)
{
    SKIP_WHERE_THREADS_HANG();
    if (crossBuilt())
        GTEST_SKIP() << "Ardour" << kBuildMachineOnly;
    std::string v = "9"; // the newest of Ardour 7, 8 and 9
    for (; !fs::exists("/usr/bin/ardour" + v + "-lua"); --v[0])
        if (v == "7")
            GTEST_SKIP() << "Ardour is not installed (scripts/install-deps.sh installs it)";
    const std::string libraryDir = "/usr/lib/ardour" + v, lua = "/usr/bin/ardour" + v + "-lua";

    // Ardour keeps its settings and its index of scanned plug-ins here, not in the user's home, and
    // finds the LV2 bundle in LV2_PATH (beside LV2's own vocabulary).
    ScratchDir scratch;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "LXVST_PATH"})
        setenv(variable, (scratch / variable).c_str(), 1);
    setenv("LV2_PATH", (std::string(QUADECHO_LV2_PATH) + ":/usr/lib/lv2").c_str(), 1);
    fs::create_directories(scratch / "LXVST_PATH");
    const std::string module = scratch / "LXVST_PATH/quadecho.so";
    fs::copy_file(QUADECHO_MODULE, module);
    // Ardour trusts its index only if it is newer than the module, to the second.
    fs::last_write_time(module, fs::file_time_type::clock::now() - std::chrono::minutes(1));
    const Result scan =
        run({"env", "LD_LIBRARY_PATH=" + libraryDir, libraryDir + "/ardour-vst-scanner", "-f", "-v", module});
    EXPECT_EQ(scan.status, 0) << scan.out << scan.err; // the render below finds the effect in its index by name

    // The same values for both: normalised for the 2.4 module and the tool, as the 2.4 effect
    // stores them for LV2 (printed exactly).
    std::vector<std::string> vst = {"LXVST:VelqQuadecho"}, lv2 = {std::string("LV2:") + quadecho::kLv2Uri};
    std::vector<std::string> render = onTarget(QUADECHO_TOOL);
    render.insert(render.end(), {"render", scratch / "input.wav", scratch / "expected.wav", "--tail", "0"});
    for (const auto& [index, value] : kValues) {
        char real[32];
        std::snprintf(real, sizeof real, "%.9g",
                      double(quadecho::valueFromLinear(quadecho::kParameters[index], value)));
        vst.push_back(std::to_string(index) + "=" + std::to_string(value));
        lv2.push_back(std::to_string(index) + "=" + real);
        render.insert(render.end(), {"--set", vst.back() + "n"});
    }
    std::vector<std::vector<std::string>> plugins = {vst};
    if (!std::string(QUADECHO_LV2_PATH).empty()) // built where LV2's headers are
        plugins.push_back(lv2);
    const std::string input = scratch / "input.wav";
    for (const auto& plugin : plugins) {
        // A fresh session whose track "In" plays what it recorded of silence, with new samples: after
        // the lead-in, a second of decaying bursts of noise, different on the two sides; the tool
        // renders the same from `input`.
        const std::string session = scratch / ("session-" + plugin[0].substr(0, 3));
        const auto paths = recorded(lua, "RecordSilence.lua", session);
        const std::size_t frames = readSound(paths[0]).frames();
        std::vector<float> both(2 * frames), sides[2] = {std::vector<float>(frames), std::vector<float>(frames)};
        Noise noise(12345, 0.5f);
        for (std::size_t k = 2 * kLeadIn; k < std::min(both.size(), 2 * (kLeadIn + kRate)); ++k)
            sides[k % 2][k / 2] = both[k] = float(std::exp(-24.0 * std::fmod(k / 2.0 / kRate, 0.25))) * noise.next();
        for (int c = 0; c < 2; ++c)
            writeSound(paths[c], 1, kRate, sides[c]);
        writeSound(input, 2, kRate, both);
        // The plug-in (KIND:NAME) on the track with its values (INDEX=VALUE), its output recorded.
        const auto outputs = recorded(lua, "RenderThroughPlugin.lua", session, plugin);
        const Sound got[2] = {readSound(outputs[0]), readSound(outputs[1])};
        ASSERT_EQ(run(render).status, 0);
        const Sound expected = readSound(scratch / "expected.wav");
        // The module declares no latency: Ardour's recording lines up with ours.
        const std::size_t end = std::min({expected.frames(), got[0].frames(), got[1].frames()}) - kLeadOut;
        float worst = 0.0f, peak = 0.0f;
        for (std::size_t i = kLeadIn; i < end; ++i)
            for (int c = 0; c < 2; ++c) {
                worst = std::max(worst, std::fabs(expected.at(i, c) - got[c].samples[i]));
                peak = std::max(peak, std::fabs(expected.at(i, c)));
            }
        EXPECT_GT(peak, 0.1f) << plugin[0] << ": the recording is nearly silent";
        EXPECT_LE(worst, 1e-6f) << plugin[0] << ": " << worst << " apart at worst";
    }
}

} // namespace
