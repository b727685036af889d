// Ardour, a host nobody here wrote, scans the module and renders audio through it; what it
// records must match `quadecho render` of the same input with the same values.
#include "ToolTestSupport.h"

#include "base/ParameterIndex.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

using namespace tooltest;

namespace {

const std::string kScripts = ARDOUR_SCRIPTS;
constexpr int kRate = 48000;
// Ardour fades the transport in over its first few thousand samples and out when it stops: the
// input starts this late, and the comparison ends this early.
constexpr std::size_t kLeadIn = 16384, kLeadOut = 8192;

// Every part of the signal path away from its default, as normalised values: taps at 120, 250,
// 370 and 490 ms, two of them fed back, the filter between low- and band-pass at about 1.7 kHz
// with a sweep, some saturation, and dry signal mixed in.
const std::pair<int, const char*> kValues[] = {
    {quadecho::kTap1Time, "0.06"},    {quadecho::kTap2Time, "0.125"},   {quadecho::kTap2Feedback, "0.3"},
    {quadecho::kTap3Time, "0.185"},   {quadecho::kTap4Time, "0.245"},   {quadecho::kTap4Feedback, "0.45"},
    {quadecho::kWetDryMix, "0.6"},    {quadecho::kFilterCutoff, "0.7"}, {quadecho::kFilterQ, "0.5"},
    {quadecho::kFilterType, "0.375"}, {quadecho::kFilterSweep, "0.1"},  {quadecho::kSaturation, "0.2"},
};

// The files an Ardour session script says its track recorded.
std::vector<std::string> sources(const std::string& output)
{
    std::vector<std::string> paths;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("source ", 0) == 0)
            paths.push_back(line.substr(7));
    return paths;
}

// Decaying bursts of noise and tone, different on the two sides, after the lead-in.
Sound testInput(std::size_t frames)
{
    Sound sound{2, kRate, std::vector<float>(2 * frames)};
    std::uint32_t seed = 12345;
    for (std::size_t i = kLeadIn; i < std::min(frames, kLeadIn + kRate * 6 / 5); ++i) {
        const double t = static_cast<double>(i - kLeadIn) / kRate;
        const double envelope = std::exp(-6.0 * std::fmod(t, 0.25));
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        sound.samples[2 * i] = static_cast<float>(envelope * (0.3 * noise + 0.2 * std::sin(2 * M_PI * 440 * t)));
        sound.samples[2 * i + 1] = static_cast<float>(envelope * 0.25 * std::sin(2 * M_PI * 660 * t));
    }
    return sound;
}

TEST(ArdourHost, ScansTheModuleAndRendersWhatQuadechoRenders)
{
    std::string libraryDir, lua;
    for (int version = 7; version <= 9 && lua.empty(); ++version) {
        const std::string v = std::to_string(version);
        if (fs::exists("/usr/lib/ardour" + v + "/ardour-vst-scanner") && fs::exists("/usr/bin/ardour" + v + "-lua"))
            libraryDir = "/usr/lib/ardour" + v, lua = "/usr/bin/ardour" + v + "-lua";
    }
    if (lua.empty())
        GTEST_SKIP() << "Ardour is not installed (scripts/install-deps.sh installs it)";

    // Ardour keeps its settings and its index of scanned plug-ins here, not in the user's home.
    ScratchDir scratch;
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (scratch / "cache").c_str(), 1);
    setenv("LXVST_PATH", (scratch / "vst").c_str(), 1);
    fs::create_directories(scratch / "vst");
    const std::string module = scratch / "vst/quadecho.so";
    fs::copy_file(QUADECHO_MODULE, module);
    // Ardour trusts its index only if it is newer than the module, to the second.
    fs::last_write_time(module, fs::file_time_type::clock::now() - std::chrono::minutes(1));
    const Result scan =
        run({"env", "LD_LIBRARY_PATH=" + libraryDir, libraryDir + "/ardour-vst-scanner", "-f", "-v", module});
    ASSERT_EQ(scan.status, 0) << scan.out << scan.err;
    for (const char* expected :
         {"name=\"VelqQuadecho\"", "creator=\"Velmorn Quaddle\"", "category=\"Effect\"", "n_inputs=\"2\"",
          "n_outputs=\"2\"", "can_process_replace=\"1\"", "is_instrument=\"0\"", "id=\"1448178021\""}) // 'VQqe'
        EXPECT_NE((scan.out + scan.err).find(expected), std::string::npos) << expected << " missing from:\n"
                                                                           << scan.out << scan.err;

    const std::string session = scratch / "session", samples = std::to_string(3 * kRate);
    const Result first = run({lua, kScripts + "/RecordSilence.lua", kScripts, session, samples}, 120);
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    const auto recorded = sources(first.out);
    ASSERT_EQ(recorded.size(), 2u) << first.out;

    // The recorded silence becomes the input: same files, same length, new samples.
    const std::size_t frames = readSound(recorded[0]).frames();
    ASSERT_GT(frames, kLeadIn + kLeadOut + kRate);
    const Sound input = testInput(frames);
    for (std::size_t c = 0; c < 2; ++c)
        writeSound(recorded[c], Sound{1, kRate, input.channel(static_cast<int>(c))});
    writeSound(scratch / "input.wav", input);

    std::vector<std::string> renderArgs = {QUADECHO_TOOL, "render", scratch / "input.wav", scratch / "expected.wav",
                                           "--tail",      "0"};
    std::vector<std::string> luaArgs = {
        lua, kScripts + "/RenderThroughPlugin.lua", kScripts, session, samples, "VelqQuadecho"};
    // Both take INDEX=VALUE; the tool marks the value as normalised.
    for (const auto& [index, normalised] : kValues) {
        const std::string value = std::to_string(index) + "=" + normalised;
        luaArgs.push_back(value);
        renderArgs.insert(renderArgs.end(), {"--set", value + "n"});
    }
    const Result rendered = run(renderArgs);
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    const Result second = run(luaArgs, 120);
    ASSERT_EQ(second.status, 0) << second.out << second.err;
    const auto outputs = sources(second.out);
    ASSERT_EQ(outputs.size(), 2u) << second.out;

    const Sound expected = readSound(scratch / "expected.wav");
    const std::vector<float> got[2] = {readSound(outputs[0]).samples, readSound(outputs[1]).samples};
    const std::size_t end = std::min({expected.frames(), got[0].size(), got[1].size()}) - kLeadOut;
    // Ardour may compensate latencies differently: its recording is aligned with ours where both
    // first leave silence.
    auto onset = [](const std::vector<float>& v) {
        return std::find_if(v.begin(), v.end(), [](float s) { return std::fabs(s) > 1e-3f; }) - v.begin();
    };
    const long offset = onset(got[0]) - onset(expected.channel(0));
    float worst = 0.0f, peak = 0.0f, effect = 0.0f;
    for (std::size_t i = kLeadIn; i < end; ++i) {
        const long j = static_cast<long>(i) + offset; // out of range: an exception, a failure
        for (int c = 0; c < 2; ++c) {
            worst = std::max(worst, std::fabs(expected.at(i, c) - got[c].at(static_cast<std::size_t>(j))));
            peak = std::max(peak, std::fabs(expected.at(i, c)));
            effect = std::max(effect, std::fabs(expected.at(i, c) - input.at(i, c)));
        }
    }
    EXPECT_GT(peak, 0.1f) << "the comparison would be vacuous";
    EXPECT_GT(effect, 0.1f) << "the settings leave the input as it was";
    EXPECT_LE(worst, 1e-6f) << "Ardour's recording aligned " << offset << " samples later";
}

} // namespace
