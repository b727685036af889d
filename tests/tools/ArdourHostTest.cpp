// Ardour, a host nobody here wrote, scans the module and renders audio through it; what it
// records must match `quadecho render` of the same input with the same values.
#include "ToolTestSupport.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <regex>
#include <thread>

using namespace tooltest;

namespace {

const std::string kTool = QUADECHO_TOOL;
const std::string kModule = QUADECHO_MODULE;
const std::string kScripts = ARDOUR_SCRIPTS;

constexpr int kRate = 48000;
// Ardour fades the transport in over its first few thousand samples: the input starts later.
constexpr std::size_t kLeadIn = 16384;
// And out when it stops: the comparison ends this far before the end.
constexpr std::size_t kLeadOut = 8192;
constexpr std::size_t kRecordSamples = 3 * kRate;

// Every part of the signal path away from its default, as normalised values: taps at 120, 250,
// 370 and 490 ms, two of them fed back, the filter between low- and band-pass at about 1.7 kHz
// with a sweep, some saturation, and dry signal mixed in.
const std::vector<std::pair<int, double>> kValues = {
    {0, 0.06}, {4, 0.125}, {6, 0.3},  {8, 0.185},  {12, 0.245}, {14, 0.45},
    {16, 0.6}, {17, 0.7},  {18, 0.5}, {19, 0.375}, {20, 0.1},   {21, 0.2},
};

struct Ardour {
    fs::path libraryDir; // holds the scanner
    fs::path lua;        // the Lua session tool's wrapper
};

std::optional<Ardour> findArdour()
{
    for (int version = 7; version <= 9; ++version) {
        const fs::path dir = "/usr/lib/ardour" + std::to_string(version);
        const fs::path lua = "/usr/bin/ardour" + std::to_string(version) + "-lua";
        if (fs::exists(dir / "ardour-vst-scanner") && fs::exists(lua))
            return Ardour{dir, lua};
    }
    return std::nullopt;
}

// Runs a program that might hang; one that has not ended after the deadline is killed.
Result runWithDeadline(const std::vector<std::string>& args, std::chrono::seconds deadline)
{
    ScratchDir logs;
    const pid_t pid = start(args, logs / "out", logs / "err");
    Result result;
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << args[0] << " did not finish within " << deadline.count() << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    result.status = pid < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = slurp(logs / "out");
    result.err = slurp(logs / "err");
    return result;
}

std::vector<fs::path> sources(const std::string& output)
{
    std::vector<fs::path> paths;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("source ", 0) == 0)
            paths.emplace_back(line.substr(7));
    return paths;
}

// Decaying bursts of noise and tone, different on the two sides, after the lead-in.
Sound testInput(std::size_t frames)
{
    Sound sound;
    sound.rate = kRate;
    sound.channels.assign(2, std::vector<float>(frames, 0.0f));
    std::uint32_t seed = 12345;
    for (std::size_t i = kLeadIn; i < std::min(frames, kLeadIn + kRate * 6 / 5); ++i) {
        const double t = static_cast<double>(i - kLeadIn) / kRate;
        const double envelope = std::exp(-6.0 * std::fmod(t, 0.25));
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        sound.channels[0][i] = static_cast<float>(envelope * (0.3 * noise + 0.2 * std::sin(2 * M_PI * 440 * t)));
        sound.channels[1][i] = static_cast<float>(envelope * 0.25 * std::sin(2 * M_PI * 660 * t));
    }
    return sound;
}

class ArdourHost : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ardour = findArdour();
        if (!ardour)
            return;
        scratch = std::make_unique<ScratchDir>();
        // Ardour keeps its settings and its index of scanned plug-ins here, not in the user's home.
        setenv("XDG_CONFIG_HOME", (*scratch / "config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (*scratch / "cache").c_str(), 1);
        setenv("LXVST_PATH", (*scratch / "vst").c_str(), 1);
        fs::create_directories(*scratch / "vst");
        const fs::path module = *scratch / "vst" / "quadecho.so";
        fs::copy_file(kModule, module);
        // Ardour trusts its index only if it is newer than the module, to the second.
        fs::last_write_time(module, fs::file_time_type::clock::now() - std::chrono::minutes(1));
        scan = runWithDeadline({"/usr/bin/env", "LD_LIBRARY_PATH=" + ardour->libraryDir.string(),
                                (ardour->libraryDir / "ardour-vst-scanner").string(), "-f", "-v", module.string()},
                               std::chrono::seconds(60));
    }
    static void TearDownTestSuite() { scratch.reset(); }

    void SetUp() override
    {
        if (!ardour)
            GTEST_SKIP() << "Ardour is not installed (scripts/install-deps.sh installs it)";
    }

    static inline std::optional<Ardour> ardour;
    static inline std::unique_ptr<ScratchDir> scratch;
    static inline Result scan;
};

TEST_F(ArdourHost, ScannerReportsTheModulesIdentityAndLayout)
{
    ASSERT_EQ(scan.status, 0) << scan.out << scan.err;
    const std::string report = scan.out + scan.err;
    for (const char* expected :
         {"name=\"VelqQuadecho\"", "creator=\"Velmorn Quaddle\"", "category=\"Effect\"", "n_inputs=\"2\"",
          "n_outputs=\"2\"", "can_process_replace=\"1\"", "is_instrument=\"0\"", "id=\"1448178021\""}) // 'VQqe'
        EXPECT_NE(report.find(expected), std::string::npos) << expected << " missing from:\n" << report;
}

TEST_F(ArdourHost, RendersWhatQuadechoRenders)
{
    ASSERT_EQ(scan.status, 0) << "the scanner failed, so Ardour cannot load the module";
    const fs::path session = *scratch / "session";
    const std::string samples = std::to_string(kRecordSamples);

    const Result first =
        runWithDeadline({ardour->lua.string(), kScripts + "/RecordSilence.lua", kScripts, session.string(), samples},
                        std::chrono::seconds(120));
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    const auto recorded = sources(first.out);
    ASSERT_EQ(recorded.size(), 2u) << first.out;

    // The recorded silence becomes the input: same files, same length, new samples.
    const std::size_t frames = readSound(recorded[0]).frames();
    ASSERT_GT(frames, kLeadIn + kLeadOut + kRate);
    const Sound input = testInput(frames);
    for (std::size_t c = 0; c < 2; ++c) {
        Sound side{{input.channels[c]}, kRate};
        writeSound(recorded[c], side);
    }
    writeSound(*scratch / "input.wav", input);

    std::vector<std::string> renderArgs = {
        kTool, "render", (*scratch / "input.wav").string(), (*scratch / "expected.wav").string(), "--tail", "0"};
    std::vector<std::string> luaArgs = {
        ardour->lua.string(), kScripts + "/RenderThroughPlugin.lua", kScripts, session.string(), samples,
        "VelqQuadecho"};
    for (const auto& [index, value] : kValues) {
        char text[64];
        std::snprintf(text, sizeof text, "%d=%.6f", index, value);
        luaArgs.push_back(text);
        renderArgs.insert(renderArgs.end(), {"--set", std::string(text) + "n"});
    }
    const Result rendered = run(renderArgs);
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    const Result second = runWithDeadline(luaArgs, std::chrono::seconds(120));
    ASSERT_EQ(second.status, 0) << second.out << second.err;
    const auto outputs = sources(second.out);
    ASSERT_EQ(outputs.size(), 2u) << second.out;

    const Sound expected = readSound(*scratch / "expected.wav");
    const Sound left = readSound(outputs[0]), right = readSound(outputs[1]);
    const std::vector<const std::vector<float>*> got = {&left.channels.at(0), &right.channels.at(0)};
    const std::size_t end = std::min({expected.frames(), got[0]->size(), got[1]->size()}) - kLeadOut;

    // Where Ardour's recording lines up with ours: it may compensate latencies differently.
    auto worstDifference = [&](long offset, std::size_t step) {
        float worst = 0.0f;
        for (std::size_t i = kLeadIn; i < end; i += step) {
            const long j = static_cast<long>(i) + offset;
            if (j < 0 || j >= static_cast<long>(got[0]->size()))
                return INFINITY;
            for (std::size_t c = 0; c < 2; ++c)
                worst = std::max(worst, std::fabs(expected.channels[c][i] - (*got[c])[static_cast<std::size_t>(j)]));
        }
        return worst;
    };
    long offset = 0;
    float closest = worstDifference(0, 61);
    for (long candidate = -4096; candidate <= 4096 && closest > 0.0f; ++candidate) {
        const float difference = worstDifference(candidate, 61);
        if (difference < closest) {
            closest = difference;
            offset = candidate;
        }
    }

    float peak = 0.0f, effect = 0.0f;
    for (std::size_t i = kLeadIn; i < end; ++i) {
        for (std::size_t c = 0; c < 2; ++c) {
            peak = std::max(peak, std::fabs(expected.channels[c][i]));
            effect = std::max(effect, std::fabs(expected.channels[c][i] - input.channels[c][i]));
        }
    }
    EXPECT_GT(peak, 0.1f) << "the comparison would be vacuous";
    EXPECT_GT(effect, 0.1f) << "the settings leave the input as it was";
    EXPECT_LE(worstDifference(offset, 1), 1e-6f) << "best alignment: Ardour's recording " << offset << " samples later";
}

} // namespace
