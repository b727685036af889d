// The bundle in hosts nobody here wrote: Debian's validator accepts its metadata and lv2info reads
// the plug-in and its presets from it. (What each port declares is the kept bundle's, tests/lv2/data;
// Ardour renders through the bundle in tests/cli.) And the tool draws the picture the plug-in gives
// hosts with an inline display.
#include "Lv2Host.h"
#include "core/FactoryPrograms.h"
#include "core/Identity.h"
#include "tests/cli/ToolTestSupport.h"

#include <png.h>

using namespace tooltest;
using namespace quadecho;
using namespace quadecho::testhost;

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

// The tool's PNG of a factory program holds the picture the plug-in renders for the values the 2.4
// module holds; the README's copies are drawn by the same commands (compared on the build machine).
TEST(Lv2Hosts, TheToolsPngHoldsThePictureTheInlineDisplayRenders)
{
    ScratchDir dir;
    for (const int program : {1, 4}) {
        const std::string name = "0" + std::to_string(program + 1) + "-" + factorySlug(kFactoryPrograms[program].name);
        std::vector<std::string> args = onTarget(QUADECHO_TOOL);
        args.insert(args.end(), {"plot", "--strip", dir / "s.png", "--width", "240", "--preset",
                                 std::string(QUADECHO_PRESETS "/") + name + ".fxp"});
        const Result drawn = run(args);
        ASSERT_EQ(drawn.status, 0) << drawn.err;
        EXPECT_TRUE(crossBuilt() || slurp(dir / "s.png") == slurp(QUADECHO_SOURCE "/docs/strip-" + name + ".png"))
            << name;
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&png, (dir / "s.png").c_str())) << png.message;
        png.format = PNG_FORMAT_RGB;
        std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
        ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) << png.message;

        Lv2Host host(44100.0);
        float values[kNumParams];
        factoryValues(kFactoryPrograms[program], values);
        for (int i = 0; i < kNumParams; ++i)
            host.controls[i] = valueFromLinear(kParameters[i], valueToLinear(kParameters[i], values[i]));
        host.render(Stereo(1));
        const Picture p = picture(host, 240);
        ASSERT_TRUE(png.width == std::uint32_t(p.width) && png.height == std::uint32_t(p.height)) << name;
        std::vector<png_byte> expected;
        for (const std::uint32_t pixel : p.pixels)
            expected.insert(expected.end(), {png_byte(pixel >> 16), png_byte(pixel >> 8), png_byte(pixel)});
        EXPECT_TRUE(rgb == expected) << name << ": the pixels differ";
    }
}

} // namespace
