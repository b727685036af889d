// One block as every host interface runs it: the repairs that keep a hostile host's rates and
// values, and a filter they drove past its limits, from the frame loop.
#include "core/Parameters.h"
#include "core/SignalPath.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <vector>

using namespace quadecho::testhost;

namespace {

using namespace quadecho;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kLineRate = 8000.0f;

struct Rendered {
    std::vector<float> left, right;
    FilterState state;
};

// Noise through a fresh line sized at kLineRate, in four blocks of 300 frames at the rates given;
// the last block with the Q given and, if given, the filter's band-pass state replaced.
Rendered run(const std::array<float, 4>& rates, float lastQ = 0.1f, std::optional<float> lastBand = {})
{
    constexpr std::uint32_t kBlock = 300;
    const std::vector<float> in = Noise(9, 0.8f).samples(kBlock * 4);
    std::vector<float> samples(lineLengthFor(kLineRate));
    DelayLine line{samples.data(), lineLengthFor(kLineRate), 0, kLineRate};
    Rendered r{std::vector<float>(in.size()), std::vector<float>(in.size()), {}};
    SignalPath path{HostValues::AsGiven};
    float values[kNumParams];
    defaultValues(values);
    values[kTap1Time] = 5.0f; // echoes inside a block, through the filter at band-pass
    values[kTap1Feedback] = 60.0f;
    values[kFilterType] = 2.0f;
    for (std::size_t block = 0; block < rates.size(); ++block) {
        if (block == 3) {
            values[kFilterQ] = lastQ;
            r.state.band = lastBand.value_or(r.state.band);
        }
        onAudioThread([&] {
            const std::size_t at = block * kBlock;
            path.process(values, rates[block], line, r.state,
                         {{&in[at], &in[at], &r.left[at], &r.right[at], 1, 1}, kBlock, false});
        });
    }
    return r;
}

constexpr std::array<float, 4> kSteady = {kLineRate, kLineRate, kLineRate, kLineRate};

// A rate no line can be sized for computes with the line's; the highest one a line can be sized
// for is the host's, heard from the block it arrives in; a value that is not a number counts as its
// default (0.1 for the Q).
TEST(SignalPath, RepairsWhatAHostileHostSends)
{
    const Rendered reference = run(kSteady);
    const std::tuple<const char*, std::array<float, 4>, float, bool> cases[] = {
        {"rates no line can be sized for", {0.0f, -kLineRate, kNaN, kHighestRate * 2.0f}, 0.1f, true},
        {"the highest rate last", {kLineRate, kLineRate, kLineRate, kHighestRate}, 0.1f, false},
        {"a Q not a number", kSteady, kNaN, true},
    };
    for (const auto& [name, rates, lastQ, sameAsReference] : cases) {
        const Rendered r = run(rates, lastQ);
        const bool same = r.left == reference.left && r.right == reference.right;
        EXPECT_EQ(same, sameAsReference) << name;
        EXPECT_TRUE(std::equal(r.left.begin(), r.left.begin() + 900, reference.left.begin())) << name;
    }
    // A filter driven past its limits (by values out of range) starts again from rest; a finite
    // state carries over.
    for (const float band : {std::numeric_limits<float>::infinity(), kNaN, 1e3f}) {
        const FilterState s = run(kSteady, 0.1f, band).state;
        EXPECT_EQ(s.low == 0.0f && s.high == 0.0f && s.band == 0.0f, !std::isfinite(band)) << band;
    }
}

} // namespace
