// One block as every host interface runs it: the repairs that keep a hostile host's values from
// reaching the frame loop, and the reuse of the coefficients between blocks.
#include "core/Parameters.h"
#include "core/SignalPath.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace quadecho::testhost;

namespace {

using namespace quadecho;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kLineRate = 8000.0f;

struct Rendered {
    std::vector<float> left, right;
    FilterState state;
};

// Noise through a fresh line sized at kLineRate, in blocks of 300 frames; `between` may change the
// values, the rate and the filter state before each block.
Rendered run(const std::function<void(int block, float (&values)[kNumParams], float& rate, FilterState&)>& between)
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
    for (int block = 0; block < 4; ++block) {
        float rate = kLineRate;
        between(block, values, rate, r.state);
        const std::size_t at = block * kBlock;
        onAudioThread([&] {
            path.process(values, rate, line, r.state,
                         {{&in[at], &in[at], &r.left[at], &r.right[at], 1, 1}, kBlock, false});
        });
    }
    return r;
}

TEST(SignalPath, RepairsWhatAHostileHostSends)
{
    const Rendered reference = run([](int, float(&)[kNumParams], float&, FilterState&) {});
    struct Case {
        std::string name;
        std::function<void(int, float (&)[kNumParams], float&, FilterState&)> between;
        bool sameAsReference;
    };
    using V = float(&)[kNumParams];
    // clang-format off
    const Case cases[] = {
        {"a rate no line can be sized for computes with the line's", [](int block, V, float& rate, FilterState&) {
             rate = std::array{0.0f, -kLineRate, kNaN, kHighestRate * 2.0f}[block]; }, true},
        {"a changed value takes effect at the next block", [](int block, V v, float&, FilterState&) {
             if (block == 3) v[kTap1Feedback] = 10.0f; }, false},
        {"the highest rate a line can be sized for is the host's", [](int block, V, float& rate, FilterState&) {
             if (block == 3) rate = kHighestRate; }, false},
        {"a changed rate takes effect at the next block", [](int block, V, float& rate, FilterState&) {
             if (block == 3) rate = 2.0f * kLineRate; }, false},
    };
    // clang-format on
    for (const Case& k : cases) {
        const Rendered r = run(k.between);
        // Blocks 0 to 2 are the same in every case but the rate's repair; block 3 may differ.
        const bool same = r.left == reference.left && r.right == reference.right;
        EXPECT_EQ(same, k.sameAsReference) << k.name;
        EXPECT_TRUE(std::equal(r.left.begin(), r.left.begin() + 600, reference.left.begin())) << k.name;
    }
}

// A state that is no longer finite (out-of-range values drove it there) starts again from rest,
// while a finite one carries over.
TEST(SignalPath, FilterStartsAgainFromRestWhenDrivenPastItsLimits)
{
    for (const float poison : {kInf, kNaN, 1e3f}) {
        const Rendered r = run([poison](int block, float(&)[kNumParams], float&, FilterState& s) {
            if (block == 3)
                s.band = poison;
        });
        const bool finite = std::isfinite(poison);
        EXPECT_EQ(r.state.low == 0.0f && r.state.high == 0.0f && r.state.band == 0.0f, !finite) << poison;
        EXPECT_TRUE(std::isfinite(r.state.low) && std::isfinite(r.state.band)) << poison;
    }
}

} // namespace
