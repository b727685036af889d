// Ardour, a host nobody here wrote, scans the 2.4 module and renders audio through it, then through
// the LV2 bundle; what it records must match `quadecho render` of the same input with the same values.
#include "ToolTestSupport.h"

#include "core/Parameters.h"
#include "lv2/Ports.h"
#include "testing/Noise.h"

#include <chrono>
#include <cmath>

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

// The files (left, right) an Ardour session script says its track recorded.
std::vector<std::string> recorded(const std::vector<std::string>& script)
{
    const Result r = run(script, 120);
    const std::regex source("(^|\n)source ([^\n]*)");
    const std::vector<std::string> paths(std::sregex_token_iterator(r.out.begin(), r.out.end(), source, 2), {});
    EXPECT_TRUE(r.status == 0 && paths.size() == 2) << r.out << r.err;
    return paths;
}

struct Ardour {
    std::string libraryDir, lua, scripts = ARDOUR_SCRIPTS;
};

// A fresh session whose track "In" plays the input (written to `input` too); the plug-in (KIND:NAME)
// on it with the values (INDEX=VALUE), its output recorded. Returns the recorded sides.
std::vector<Sound> renderInArdour(const Ardour& ardour, const std::string& session, const std::string& input,
                                  const std::string& plugin, const std::vector<std::string>& values)
{
    // The recorded silence becomes the input: same files, same length, new samples: after the
    // lead-in, a second of decaying bursts of noise, different on the two sides.
    const std::string samples = std::to_string(3 * kRate);
    const auto paths = recorded({ardour.lua, ardour.scripts + "/RecordSilence.lua", ardour.scripts, session, samples});
    if (paths.size() != 2)
        return {};
    const std::size_t frames = readSound(paths[0]).frames();
    std::vector<float> interleaved(2 * frames), sides[2] = {std::vector<float>(frames), std::vector<float>(frames)};
    Noise noise(12345, 0.5f);
    for (std::size_t k = 2 * kLeadIn; k < std::min(interleaved.size(), 2 * (kLeadIn + kRate)); ++k)
        sides[k % 2][k / 2] = interleaved[k] = float(std::exp(-24.0 * std::fmod(k / 2.0 / kRate, 0.25))) * noise.next();
    for (int c = 0; c < 2; ++c)
        writeSound(paths[c], 1, kRate, sides[c]);
    writeSound(input, 2, kRate, interleaved);

    std::vector<std::string> script = {
        ardour.lua, ardour.scripts + "/RenderThroughPlugin.lua", ardour.scripts, session, samples, plugin};
    script.insert(script.end(), values.begin(), values.end());
    const auto outputs = recorded(script);
    if (outputs.size() != 2)
        return {};
    return {readSound(outputs[0]), readSound(outputs[1])};
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
    const Ardour ardour{"/usr/lib/ardour" + v, "/usr/bin/ardour" + v + "-lua"};

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
    const Result scan = run(
        {"env", "LD_LIBRARY_PATH=" + ardour.libraryDir, ardour.libraryDir + "/ardour-vst-scanner", "-f", "-v", module});
    EXPECT_EQ(scan.status, 0) << scan.out << scan.err; // the render below finds the effect in its index by name

    // The same values for both: normalised for the 2.4 module and the tool, as the 2.4 effect
    // stores them for LV2 (printed exactly).
    std::vector<std::string> normalised, real;
    std::vector<std::string> render = onTarget(QUADECHO_TOOL);
    render.insert(render.end(), {"render", scratch / "input.wav", scratch / "expected.wav", "--tail", "0"});
    for (const auto& [index, value] : kValues) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g",
                      double(quadecho::valueFromLinear(quadecho::kParameters[index], value)));
        normalised.push_back(std::to_string(index) + "=" + std::to_string(value));
        real.push_back(std::to_string(index) + "=" + text);
        render.insert(render.end(), {"--set", normalised.back() + "n"});
    }
    std::vector<std::pair<std::string, const std::vector<std::string>*>> formats = {
        {"LXVST:VelqQuadecho", &normalised}};
    if (!std::string(QUADECHO_LV2_PATH).empty()) // built where LV2's headers are
        formats.emplace_back(std::string("LV2:") + quadecho::kLv2Uri, &real);
    for (const auto& [plugin, values] : formats) {
        const auto got = renderInArdour(ardour, scratch / ("session-" + plugin.substr(0, 3)), scratch / "input.wav",
                                        plugin, *values);
        ASSERT_EQ(got.size(), 2u) << plugin;
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
        EXPECT_GT(peak, 0.1f) << plugin << ": the recording is nearly silent";
        EXPECT_LE(worst, 1e-6f) << plugin << ": " << worst << " apart at worst";
    }
}

} // namespace
