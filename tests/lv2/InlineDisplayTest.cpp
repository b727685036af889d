// The settings' picture through the inline-display extension, as Ardour asks for it: at the size
// its strip has room for, off the audio thread, again whenever run asks for it.
#include "Lv2Host.h"
#include "core/FactoryPrograms.h"
#include "core/FilterResponse.h"
#include "draw/Strip.h"
#include "tests/support/Skips.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace quadecho;
using namespace quadecho::testhost;
using namespace quadecho::lv2;

namespace {

constexpr double kRate = 44100.0;

bool within1(const std::set<int>& columns, int x) { return columns.lower_bound(x - 1) != columns.upper_bound(x + 1); }

// A host with the feature, counting what run asks of it.
struct QueueCounter {
    std::atomic<int> calls{0};
    InlineDisplayQueueDraw data{this, [](void* self) { ++static_cast<QueueCounter*>(self)->calls; }};
    LV2_Feature feature{kInlineDisplayQueueDraw, &data};
    const LV2_Feature* features[2] = {&feature, nullptr};
};

TEST(Lv2InlineDisplay, AnswersAtMostTheRoomGivenOpaqueInMemoryThatMovesOnlyToGrow)
{
    EXPECT_EQ(lv2_descriptor(0)->extension_data(nullptr), nullptr);
    Lv2Host host(kRate);
    // Each size needing more memory than any before gets exactly that, so that the address
    // sanitizer sees a write past height × stride.
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {0, 0},   {1, 1},      {0, 30},  {60, 0},      {2, 1},    {1, 2},         {3, 1000},
        {60, 30}, {200, 1000}, {30, 10}, {2000, 1000}, {5000, 4}, {4096, 100000}, {61, 1000}};
    const std::uint32_t* last = nullptr;
    std::size_t most = 0;
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + " × " + std::to_string(h));
        const InlineDisplayImageSurface* s = render(host, w, h);
        ASSERT_EQ(s == nullptr, w == 0 || h == 0);
        if (!s)
            continue;
        EXPECT_TRUE(s->width >= 1 && s->height >= 1 && std::uint32_t(s->width) <= w && std::uint32_t(s->height) <= h)
            << s->width << " × " << s->height;
        EXPECT_EQ(s->stride, 4 * s->width);
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(s->data);
        const auto area = static_cast<std::size_t>(s->width * s->height);
        EXPECT_TRUE(area > most || pixels == last) << "the pixels moved without growing";
        EXPECT_EQ(std::count_if(pixels, pixels + area, [](std::uint32_t p) { return p >> 24 != 0xff; }), 0);
        most = std::max(most, area);
        last = pixels;
    }
    // Before the first run, the table's defaults whatever the ports hold (the host has no feature
    // to be asked to draw: it draws when it likes).
    Lv2Host defaults(kRate);
    host.controls[kTap1Time] = 900.0f;
    defaults.render(Stereo(1));
    EXPECT_TRUE(picture(host, 200).pixels == picture(defaults, 200).pixels) << "before the first run";
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
            host.render(Stereo(1));
            const Picture p = picture(host, width);
            const draw::Layout l = draw::stripLayout(p.height);
            // Each tap heard marks its time on 2 s (0 ms reads the whole line) on the sides its pan
            // reaches; nothing else is marked.
            std::set<int> heard[2];
            for (int i = 0; i < kNumTaps; ++i) {
                const float ms = values[tapParam(i, TapParam::Time)], pan = values[tapParam(i, TapParam::Pan)];
                const int x = std::min(width - 1, int((ms > 0.0f ? ms : 2000.0f) / 2000.0f * width));
                for (int side = 0; side < 2 && values[tapParam(i, TapParam::Level)] > 0.0f; ++side)
                    if (pan != (side == 0 ? 1.0f : -1.0f))
                        heard[side].insert(x);
            }
            const std::set<int> marked[2] = {columnsWith(p, draw::colour::kFirstEcho, 0, l.centre),
                                             columnsWith(p, draw::colour::kFirstEcho, l.centre + 1, l.echoRows)};
            for (int side = 0; side < 2; ++side) {
                for (int x : heard[side])
                    EXPECT_TRUE(within1(marked[side], x)) << what << ": no marker near " << x << " on side " << side;
                for (int x : marked[side])
                    EXPECT_TRUE(within1(heard[side], x)) << what << ": a marker at " << x << " on side " << side;
            }
            // The response's highest row: all of it for Thru, a flat line; else a peak inside the
            // axis where the filter runs.
            std::set<int> peak;
            for (int y = l.filterTop; y < p.height && peak.empty(); ++y)
                peak = columnsWith(p, draw::colour::kResponse, y, y + 1);
            if (values[kFilterType] == 0.0f) {
                EXPECT_EQ(peak.size(), std::size_t(width)) << what << ": Thru draws a flat line";
            } else if (*peak.begin() > 0 && *peak.rbegin() < width - 1) {
                ++peaks;
                const auto c = computeCoefficients(values, float(kRate), lineLengthFor(float(kRate)));
                const int x = int(width * std::log(filterFrequency(c.f, kRate) / 20.0) / std::log(kRate / 40.0));
                EXPECT_TRUE(within1(peak, x)) << what << ": runs at " << x << ", peaks from " << *peak.begin();
            }
        }
    }
    EXPECT_GT(peaks, 0) << "no program showed a peak to check";
}

// What the picture shows: every value but the saturation (the clipper is left out).
TEST(Lv2InlineDisplay, AChangeThePictureShowsQueuesOneDrawAndChangesIt)
{
    // From the defaults with a band-pass filter, whose values all move its response.
    const std::tuple<int, float, bool> cases[] = {
        {kTap1Time, 900.0f, true},   {kTap2Pan, 1.0f, true},          {kTap3Feedback, 80.0f, true},
        {kTap4Level, 0.0f, true},    {kWetDryMix, 0.2f, true},        {kFilterCutoff, 300.0f, true},
        {kFilterQ, 0.9f, true},      {kFilterType, 1.0f, true},       {kFilterSweep, 0.5f, true},
        {kSaturation, 11.0f, false}, {kMasterFeedback, 200.0f, true}, {kFilterType, 2.0f, false}};
    for (const auto& [index, value, shown] : cases) {
        QueueCounter queue;
        Lv2Host host(kRate, queue.features);
        host.controls[kFilterType] = 2.0f;
        host.render(Stereo(1));
        const int before = queue.calls;
        const Picture was = picture(host, 200);
        host.controls[index] = value;
        host.render(Stereo(2), {1});
        host.controls[kTap1Pan] = shown ? 0.5f : -1.0f; // not drawn yet: asked for already
        host.render(Stereo(1));
        EXPECT_EQ(queue.calls - before, shown ? 1 : 0) << kParameters[index].name << " = " << value;
        EXPECT_EQ(picture(host, 200).pixels == was.pixels, !shown) << kParameters[index].name << " = " << value;
    }
}

TEST(Lv2InlineDisplay, RendersWhileRunRunsOnAnotherThread)
{
    SKIP_WHERE_THREADS_HANG();
    QueueCounter queue;
    Lv2Host host(kRate, queue.features);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int block = 0; block < 300; ++block)
            host.controls[kTap1Time] = 100.0f + float(block), host.render(Stereo(64));
        done = true;
    });
    int failed = 0;
    while (!done)
        failed += render(host, 200, 100) == nullptr;
    audio.join();
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(queue.calls >= 1 && queue.calls <= 300) << queue.calls;
}

} // namespace
