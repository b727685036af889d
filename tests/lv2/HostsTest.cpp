// The bundle in hosts nobody here wrote: Debian's validator accepts its metadata and lv2info lists
// the table's ports. (Ardour renders through the bundle in tests/cli.)
#include "core/FactoryPrograms.h"
#include "lv2/Ports.h"
#include "tests/cli/ToolTestSupport.h"

using namespace tooltest;
using namespace quadecho;

namespace {

const std::string kBundle = QUADECHO_LV2_BUNDLE;
const std::string kLv2Path = std::string(QUADECHO_LV2_PATH) + ":/usr/lib/lv2"; // ours and LV2's own vocabulary

TEST(Lv2Hosts, TheValidatorAcceptsTheMetadataAndLv2infoListsTheTablesPorts)
{
    if (!fs::exists("/usr/bin/lv2_validate") || !fs::exists("/usr/bin/lv2info"))
        GTEST_SKIP() << "not installed (scripts/install-deps.sh --tests installs lilv-utils and sordi)";
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

} // namespace
