// The bundle in hosts nobody here wrote: Debian's validator accepts its metadata and lv2info reads
// the plug-in and its presets from it. (What each port declares is the kept bundle's, tests/lv2/data;
// Ardour renders through the bundle in tests/cli.)
#include "core/FactoryPrograms.h"
#include "core/Identity.h"
#include "tests/cli/ToolTestSupport.h"

using namespace tooltest;
using namespace quadecho;

namespace {

const std::string kBundle = QUADECHO_LV2_BUNDLE;
const std::string kLv2Path = std::string(QUADECHO_LV2_PATH) + ":/usr/lib/lv2"; // ours and LV2's own vocabulary

TEST(Lv2Hosts, TheValidatorAcceptsTheMetadataAndLv2infoReadsIt)
{
    if (!fs::exists("/usr/bin/lv2_validate") || !fs::exists("/usr/bin/lv2info"))
        GTEST_SKIP() << "not installed (scripts/install-deps.sh --tests installs lilv-utils and sordi)";
    const Result valid =
        run({"lv2_validate", kBundle + "/manifest.ttl", kBundle + "/quadecho.ttl", kBundle + "/presets.ttl"});
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_NE((valid.out + valid.err).find("Found 0 errors"), std::string::npos) << valid.out << valid.err;

    const Result info = run({"env", "LV2_PATH=" + kLv2Path, "lv2info", kLv2Uri});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Class:             Delay Plugin"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("http://lv2plug.in/ns/lv2core#hardRTCapable"), std::string::npos);
    // The factory programs as presets.
    for (const FactoryProgram& program : kFactoryPrograms)
        EXPECT_NE(info.out.find("\t         " + std::string(program.name) + "\n"), std::string::npos) << program.name;
}

} // namespace
