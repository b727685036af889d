// The settings' picture through the inline-display extension, as Ardour asks for it: at the size
// its strip has room for, off the audio thread, again whenever run asks for it.
#include "Lv2Host.h"
#include "core/FactoryPrograms.h"
#include "core/FilterResponse.h"
#include "draw/Strip.h"
#include "lv2/InlineDisplay.h"
#include "tests/support/Skips.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace quadecho;
using namespace quadecho::testhost;
using namespace quadecho::lv2;
namespace colour = quadecho::draw::colour;

namespace {

constexpr double kRate = 44100.0;

const InlineDisplayInterface& display()
{
    return *static_cast<const InlineDisplayInterface*>(lv2_descriptor(0)->extension_data(kInlineDisplayInterface));
}

// A copy of what render answered, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    bool operator==(const Picture&) const = default;
};

Picture picture(Lv2Host& host, std::uint32_t w, std::uint32_t h)
{
    const InlineDisplayImageSurface* s = display().render(host.handle, w, h);
    Picture p;
    if (!s)
        return p;
    p.width = s->width, p.height = s->height;
    p.pixels.resize(static_cast<std::size_t>(s->width * s->height));
    for (int y = 0; y < s->height; ++y)
        std::memcpy(&p.pixels[static_cast<std::size_t>(y * s->width)], s->data + y * s->stride, 4u * s->width);
    return p;
}

void runOnce(Lv2Host& host) { host.render(Stereo(1)); }

// A host with the feature, counting what run asks of it.
struct QueueCounter {
    std::atomic<int> calls{0};
    InlineDisplayQueueDraw data{this, [](void* self) { static_cast<QueueCounter*>(self)->calls.fetch_add(1); }};
    LV2_Feature feature{kInlineDisplayQueueDraw, &data};
    const LV2_Feature* features[2] = {&feature, nullptr};
};

// The columns with a pixel of the colour in rows [top, bottom).
std::set<int> columnsWith(const Picture& p, std::uint32_t colour, int top, int bottom)
{
    std::set<int> columns;
    for (int x = 0; x < p.width; ++x)
        for (int y = top; y < bottom; ++y)
            if (p.at(x, y) == colour)
                columns.insert(x);
    return columns;
}

bool within1(const std::set<int>& columns, int x) { return columns.lower_bound(x - 1) != columns.upper_bound(x + 1); }

TEST(Lv2InlineDisplay, AnswersAtMostTheRoomGivenOpaqueInMemoryThatMovesOnlyToGrow)
{
    ASSERT_NE(lv2_descriptor(0)->extension_data(kInlineDisplayInterface), nullptr);
    EXPECT_EQ(lv2_descriptor(0)->extension_data(kInlineDisplayQueueDraw), nullptr) << "a host's feature, not ours";
    EXPECT_EQ(lv2_descriptor(0)->extension_data(nullptr), nullptr);
    Lv2Host host(kRate);
    // Each size that needs more memory than any before gets exactly what it needs, so that the
    // address sanitizer sees a write past height × stride; a smaller one must leave the rest alone.
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {0, 0},   {1, 1},      {0, 30},  {60, 0},      {2, 1},    {1, 2},         {3, 1000},
        {60, 30}, {200, 1000}, {30, 10}, {2000, 1000}, {5000, 4}, {4096, 100000}, {61, 1000}};
    const std::uint32_t* last = nullptr;
    std::size_t most = 0;
    for (const auto& [w, h] : sizes) {
        const std::string what = std::to_string(w) + " × " + std::to_string(h);
        const std::vector<std::uint32_t> before(last, last + most);
        const InlineDisplayImageSurface* s = display().render(host.handle, w, h);
        if (w == 0 || h == 0) {
            EXPECT_EQ(s, nullptr) << what;
            continue;
        }
        ASSERT_NE(s, nullptr) << what;
        EXPECT_TRUE(s->width >= 1 && s->height >= 1 && std::uint32_t(s->width) <= w && std::uint32_t(s->height) <= h)
            << what << ": " << s->width << " × " << s->height;
        EXPECT_EQ(s->stride, 4 * s->width) << what;
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(s->data);
        const auto area = static_cast<std::size_t>(s->width * s->height);
        if (area <= most) {
            EXPECT_EQ(pixels, last) << what << ": the pixels moved without growing";
            EXPECT_TRUE(std::equal(pixels + area, pixels + most, before.begin() + area))
                << what << ": written past its end";
        }
        EXPECT_EQ(std::count_if(pixels, pixels + area, [](std::uint32_t p) { return p >> 24 != 0xff; }), 0) << what;
        most = std::max(most, area);
        last = pixels;
    }
}

TEST(Lv2InlineDisplay, EachFactoryProgramShowsItsTapsOnTheirSidesAndItsFilterPeak)
{
    int peaks = 0;
    for (const FactoryProgram& program : kFactoryPrograms) {
        float values[kNumParams];
        factoryValues(program, values);
        for (const int width : {60, 200}) {
            const std::string what = std::string(program.name) + " at " + std::to_string(width) + " pixels";
            Lv2Host host(kRate);
            std::copy(std::begin(values), std::end(values), host.controls.begin());
            runOnce(host);
            const Picture p = picture(host, width, width);
            const draw::Layout l = draw::stripLayout(p.height);

            // Each tap heard marks its time on 2 s (0 ms reads the whole line), on the sides its pan
            // reaches; nothing else is marked.
            std::set<int> heard[2];
            for (int i = 0; i < kNumTaps; ++i) {
                const float ms = values[tapParam(i, TapParam::Time)], pan = values[tapParam(i, TapParam::Pan)];
                const int x = std::min(width - 1, static_cast<int>((ms > 0.0f ? ms : 2000.0f) / 2000.0f * width));
                for (int side = 0; side < 2; ++side)
                    if (values[tapParam(i, TapParam::Level)] > 0.0f && pan != (side == 0 ? 1.0f : -1.0f))
                        heard[side].insert(x);
            }
            const std::set<int> marked[2] = {columnsWith(p, colour::kFirstEcho, 0, l.centre),
                                             columnsWith(p, colour::kFirstEcho, l.centre + 1, l.echoRows)};
            for (int side = 0; side < 2; ++side) {
                const char* where = side == 0 ? " above the centre" : " below the centre";
                for (int x : heard[side])
                    EXPECT_TRUE(within1(marked[side], x)) << what << ": no marker near column " << x << where;
                for (int x : marked[side])
                    EXPECT_TRUE(within1(heard[side], x)) << what << ": a marker at column " << x << where;
            }

            // The response's highest row, and the columns that reach it.
            int top = p.height;
            std::set<int> rows, peak;
            for (int x = 0; x < width; ++x)
                for (int y = l.filterTop; y < p.height; ++y)
                    if (p.at(x, y) == colour::kResponse) {
                        rows.insert(y);
                        if (y < top)
                            top = y, peak.clear();
                        if (y == top)
                            peak.insert(x);
                    }
            const float type = values[kFilterType];
            if (type == 0.0f || type == 4.0f) {
                EXPECT_EQ(rows.size(), 1u) << what << ": Thru draws a flat line";
            } else if (!peak.empty() && *peak.begin() > 0 && *peak.rbegin() < width - 1) {
                ++peaks;
                const BlockCoefficients c = computeCoefficients(values, float(kRate), lineLengthFor(float(kRate)));
                const int x = static_cast<int>(width * std::log(filterFrequency(c.f, kRate) / 20.0) /
                                               std::log(kRate / 2.0 / 20.0));
                EXPECT_TRUE(*peak.begin() - 1 <= x && x <= *peak.rbegin() + 1)
                    << what << ": the filter runs at column " << x << ", its peak spans " << *peak.begin() << " to "
                    << *peak.rbegin();
            }
        }
    }
    EXPECT_GT(peaks, 0) << "no program showed a peak to check";
}

// What the picture shows: every value but the saturation (the clipper is left out).
TEST(Lv2InlineDisplay, AChangeThePictureShowsQueuesOneDrawAndChangesIt)
{
    // From the defaults with a band-pass filter, whose values all move its response.
    const std::tuple<const char*, int, float, bool> cases[] = {{"a tap's time", kTap1Time, 900.0f, true},
                                                               {"a tap's pan", kTap2Pan, 1.0f, true},
                                                               {"a tap's feedback", kTap3Feedback, 80.0f, true},
                                                               {"a tap's level", kTap4Level, 0.0f, true},
                                                               {"the mix", kWetDryMix, 0.2f, true},
                                                               {"the cutoff", kFilterCutoff, 300.0f, true},
                                                               {"the Q", kFilterQ, 0.9f, true},
                                                               {"the filter type", kFilterType, 1.0f, true},
                                                               {"the sweep", kFilterSweep, 0.5f, true},
                                                               {"the master feedback", kMasterFeedback, 200.0f, true},
                                                               {"the saturation", kSaturation, 11.0f, false},
                                                               {"nothing", kFilterType, 2.0f, false}};
    for (const auto& [name, index, value, shown] : cases) {
        QueueCounter queue;
        Lv2Host host(kRate, queue.features);
        host.controls[kFilterType] = 2.0f;
        runOnce(host);
        const int before = queue.calls;
        const Picture was = picture(host, 200, 200);
        host.controls[index] = value;
        runOnce(host);
        runOnce(host);
        EXPECT_EQ(queue.calls - before, shown ? 1 : 0) << name;
        EXPECT_EQ(picture(host, 200, 200) == was, !shown) << name;
    }

    // Before the first run, the table's defaults whatever the ports hold; a host without the
    // feature draws when it likes.
    Lv2Host fresh(kRate), defaults(kRate);
    fresh.controls[kTap1Time] = 900.0f;
    runOnce(defaults);
    EXPECT_TRUE(picture(fresh, 200, 200) == picture(defaults, 200, 200)) << "before the first run";
    runOnce(fresh);
    EXPECT_FALSE(picture(fresh, 200, 200) == picture(defaults, 200, 200)) << "after it";
}

TEST(Lv2InlineDisplay, RendersWhileRunRunsOnAnotherThread)
{
    SKIP_WHERE_THREADS_HANG();
    QueueCounter queue;
    Lv2Host host(kRate, queue.features);
    constexpr int kBlocks = 300;
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int block = 0; block < kBlocks; ++block) {
            host.controls[kTap1Time] = 100.0f + static_cast<float>(block);
            host.render(Stereo(64));
        }
        done = true;
    });
    int failed = 0;
    while (!done)
        failed += display().render(host.handle, 200, 100) == nullptr;
    audio.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(queue.calls, kBlocks);
}

} // namespace
