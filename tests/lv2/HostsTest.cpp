// The bundle in hosts nobody here wrote: Debian's validator accepts its metadata and lv2info reads
// the plug-in and its presets from it. (What each port declares is the kept bundle's, tests/lv2/data;
// Ardour renders through the bundle in tests/cli.) And the tool draws the picture the plug-in gives
// hosts with an inline display.
#include "Lv2Host.h"
#include "core/FactoryPrograms.h"
#include "core/Identity.h"
#include "lv2/InlineDisplay.h"
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
    // The inline display: our picture, and the host's feature asking for it again.
    EXPECT_NE(info.out.find(lv2::kInlineDisplayInterface), std::string::npos) << info.out;
    EXPECT_NE(info.out.find(lv2::kInlineDisplayQueueDraw), std::string::npos) << info.out;
    // The factory programs as presets.
    for (const FactoryProgram& program : kFactoryPrograms)
        EXPECT_NE(info.out.find("\t         " + std::string(program.name) + "\n"), std::string::npos) << program.name;
}

// The picture for a factory program's values as the 2.4 module holds them.
TEST(Lv2Hosts, TheToolsPngHoldsThePictureTheInlineDisplayRenders)
{
    ScratchDir dir;
    std::vector<std::string> args = onTarget(QUADECHO_TOOL);
    args.insert(args.end(), {"plot", "--strip", dir / "strip.png", "--width", "200", "--preset",
                             QUADECHO_PRESETS "/05-dub-spiral.fxp"});
    const Result drawn = run(args);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, (dir / "strip.png").c_str())) << png.message;
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) << png.message;

    Lv2Host host(44100.0);
    float values[kNumParams];
    factoryValues(kFactoryPrograms[4], values);
    for (int i = 0; i < kNumParams; ++i)
        host.controls[i] = valueFromLinear(kParameters[i], valueToLinear(kParameters[i], values[i]));
    host.render(Stereo(1));
    const auto* display = static_cast<const lv2::InlineDisplayInterface*>(
        lv2_descriptor(0)->extension_data(lv2::kInlineDisplayInterface));
    const lv2::InlineDisplayImageSurface* s = display->render(host.handle, 200, 200);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(png.width, std::uint32_t(s->width));
    ASSERT_EQ(png.height, std::uint32_t(s->height));
    std::size_t differ = 0;
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, s->data + y * s->stride + 4 * x, 4);
            const png_byte* p = &rgb[static_cast<std::size_t>(3 * (y * s->width + x))];
            differ += p[0] != (pixel >> 16 & 0xff) || p[1] != (pixel >> 8 & 0xff) || p[2] != (pixel & 0xff);
        }
    EXPECT_EQ(differ, 0u) << "pixels differ";
}

} // namespace
