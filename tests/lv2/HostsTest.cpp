// The bundle in hosts nobody here wrote: Debian's validator accepts its metadata, lv2info lists the
// table's ports, and lv2apply renders what `quadecho render` renders through the 2.4 module.
#include "core/FactoryPrograms.h"
#include "lv2/Ports.h"
#include "tests/cli/ToolTestSupport.h"
#include "testing/Noise.h"
#include "testing/Stereo.h"

#include <cmath>
#include <cstdio>

using namespace tooltest;
using namespace quadecho;
using namespace quadecho::testhost;

namespace {

const std::string kBundle = QUADECHO_LV2_BUNDLE;
const std::string kLv2Path = std::string(QUADECHO_LV2_PATH) + ":/usr/lib/lv2"; // ours and LV2's own vocabulary

Stereo stereo(const Sound& sound)
{
    Stereo s(sound.frames());
    for (std::size_t frame = 0; frame < s.size(); ++frame)
        s.left[frame] = sound.at(frame, 0), s.right[frame] = sound.at(frame, sound.channels - 1);
    return s;
}

const char* kSkip = "not installed (scripts/install-deps.sh --tests installs lilv-utils and sordi)";

TEST(Lv2Hosts, TheValidatorAcceptsTheMetadataAndLv2infoListsTheTablesPorts)
{
    if (!fs::exists("/usr/bin/lv2_validate") || !fs::exists("/usr/bin/lv2info"))
        GTEST_SKIP() << kSkip;
    const Result valid =
        run({"lv2_validate", kBundle + "/manifest.ttl", kBundle + "/quadecho.ttl", kBundle + "/presets.ttl"});
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_NE((valid.out + valid.err).find("Found 0 errors"), std::string::npos) << valid.out << valid.err;

    // The project's version: minor and micro as LV2 counts them.
    EXPECT_NE(slurp(kBundle + "/quadecho.ttl")
                  .find("lv2:minorVersion " + std::to_string(QUADECHO_VERSION_MINOR) + " ;\n    lv2:microVersion " +
                        std::to_string(QUADECHO_VERSION_PATCH) + " ;"),
              std::string::npos);

    const Result info = run({"env", "LV2_PATH=" + kLv2Path, "lv2info", kLv2Uri});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Class:             Delay Plugin"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("http://lv2plug.in/ns/lv2core#hardRTCapable"), std::string::npos);
    // The factory programs as presets, each giving every port's value.
    for (const FactoryProgram& program : kFactoryPrograms)
        EXPECT_NE(info.out.find("\t         " + std::string(program.name) + "\n"), std::string::npos) << program.name;
    const std::string presets = slurp(kBundle + "/presets.ttl");
    std::size_t values = 0;
    for (std::size_t at = 0; (at = presets.find("pset:value", at)) != std::string::npos; ++at)
        ++values;
    EXPECT_EQ(values, std::size(kFactoryPrograms) * kNumParams);
    for (std::uint32_t port = 0; port < lv2::kPortCount; ++port) {
        const std::size_t at = info.out.find("\tPort " + std::to_string(port) + ":");
        ASSERT_NE(at, std::string::npos) << port;
        const std::string block = info.out.substr(at, info.out.find("\tPort ", at + 1) - at);
        const auto field = [&](const std::string& name) {
            std::smatch m;
            return std::regex_search(block, m, std::regex(name + ": +([^\n]*)")) ? m[1].str() : std::string();
        };
        if (port < lv2::kFirstControl) {
            EXPECT_EQ(field("Symbol"), lv2::kAudioSymbols[port]);
            EXPECT_EQ(field("Designation"), std::string("http://lv2plug.in/ns/ext/port-groups#") +
                                                (field("Name")[0] == 'L' ? "left" : "right"));
            continue;
        }
        const ParameterFacts& row = kParameters[port - lv2::kFirstControl];
        EXPECT_EQ(field("Symbol"), row.symbol);
        EXPECT_EQ(field("Name"), row.name);
        EXPECT_EQ(field("Properties"),
                  row.index == kFilterCutoff ? "http://lv2plug.in/ns/ext/port-props#logarithmic" : "");
        // Named points on the filter type alone, at its whole values.
        std::size_t points = 0;
        for (std::size_t i = 0; i < std::size(kFilterTypeNames); ++i)
            points += block.find(std::to_string(i) + ".0 = \"" + kFilterTypeNames[i] + "\"") != std::string::npos;
        EXPECT_EQ(points, row.index == kFilterType ? std::size(kFilterTypeNames) : 0u) << row.name;
        for (const auto& [name, value] :
             {std::pair{"Minimum", row.minValue}, {"Maximum", row.maxValue}, {"Default", row.defaultValue}})
            EXPECT_NEAR(std::stod(field(name)), value, 1e-6) << row.name << " " << name;
    }
}

// lv2apply runs one frame per call; the tool renders with blocks of one. The tool sends normalised
// values; lv2apply gets the real value the 2.4 effect stores for each, printed exactly.
TEST(Lv2Hosts, Lv2applyRendersWhatTheToolRendersThroughThe24Module)
{
    if (!fs::exists("/usr/bin/lv2apply"))
        GTEST_SKIP() << kSkip;
    if (crossBuilt())
        GTEST_SKIP() << "lv2apply" << kBuildMachineOnly;
    using Settings = std::vector<std::pair<int, float>>; // index, normalised
    // clang-format off
    const std::tuple<const char*, int, Settings> cases[] = {
        {"the filter type between band and high pass, saturation, high feedback", 48000,
         {{kFilterType, 0.625f}, {kSaturation, 0.5f}, {kTap1Time, 0.06f}, {kTap1Feedback, 0.9f},
          {kMasterFeedback, 0.75f}, {kWetDryMix, 0.6f}}},
        {"a swept low-pass at 96 kHz, taps panned", 96000,
         {{kFilterType, 0.325f}, {kFilterCutoff, 0.3f}, {kFilterQ, 0.8f}, {kFilterSweep, 0.4f}, {kTap2Pan, 0.9f},
          {kTap3Time, 0.02f}, {kTap4Level, 0.3f}}},
        {"the defaults at 44.1 kHz", 44100, {}},
    };
    // clang-format on
    for (const auto& [name, rate, settings] : cases) {
        ScratchDir scratch;
        // A tenth of a second of noise, then silence for the echoes: 32-bit floats.
        std::vector<float> input(2 * static_cast<std::size_t>(rate) * 3 / 4);
        Noise noise(7, 0.5f);
        for (std::size_t k = 0; k < 2 * static_cast<std::size_t>(rate) / 10; ++k)
            input[k] = noise.next();
        writeSound(scratch / "in.wav", 2, rate, input);

        std::vector<std::string> tool = onTarget(QUADECHO_TOOL);
        tool.insert(tool.end(), {"render", scratch / "in.wav", scratch / "tool.wav", "--block", "1", "--tail", "0"});
        std::vector<std::string> lv2apply = {"env", "LV2_PATH=" + kLv2Path, "lv2apply", "-i", scratch / "in.wav",
                                             "-o",  scratch / "lv2.wav"};
        for (const auto& [index, normalised] : settings) {
            char value[32];
            std::snprintf(value, sizeof value, "%.9g", double(valueFromLinear(kParameters[index], normalised)));
            tool.insert(tool.end(), {"--set", std::to_string(index) + "=" + std::to_string(normalised) + "n"});
            lv2apply.insert(lv2apply.end(), {"-c", kParameters[index].symbol, value});
        }
        lv2apply.push_back(kLv2Uri);
        const Result byTool = run(tool), byLv2 = run(lv2apply);
        ASSERT_EQ(byTool.status, 0) << name << ": the tool: " << byTool.err;
        ASSERT_EQ(byLv2.status, 0) << name << ": lv2apply: " << byLv2.err;
        const Sound expected = readSound(scratch / "tool.wav"), got = readSound(scratch / "lv2.wav");
        EXPECT_EQ(got.rate, rate) << name;
        EXPECT_EQ(firstDifference(stereo(expected), stereo(got)), "") << name;
        EXPECT_GT(*std::max_element(expected.samples.begin(), expected.samples.end()), 0.05f) << name << ": silent";
    }
}

} // namespace
