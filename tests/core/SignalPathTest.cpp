// One block as every host interface runs it: the rate a hostile host sends repaired before it
// reaches the coefficients.
#include "core/Parameters.h"
#include "core/SignalPath.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>
#include <vector>

using namespace quadecho::testhost;

namespace {

using namespace quadecho;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kLineRate = 8000.0f;

struct Rendered {
    std::vector<float> left, right;
};

// Noise through a fresh line sized at kLineRate, in four blocks of 300 frames at the rates given.
Rendered run(const std::array<float, 4>& rates)
{
    constexpr std::uint32_t kBlock = 300;
    const std::vector<float> in = Noise(9, 0.8f).samples(kBlock * 4);
    std::vector<float> samples(lineLengthFor(kLineRate));
    DelayLine line{samples.data(), lineLengthFor(kLineRate), 0, kLineRate};
    Rendered r{std::vector<float>(in.size()), std::vector<float>(in.size())};
    FilterState state{};
    SignalPath path{HostValues::AsGiven};
    float values[kNumParams];
    defaultValues(values);
    values[kTap1Time] = 5.0f; // echoes inside a block, through the filter at band-pass
    values[kTap1Feedback] = 60.0f;
    values[kFilterType] = 2.0f;
    for (std::size_t block = 0; block < rates.size(); ++block)
        onAudioThread([&] {
            const std::size_t at = block * kBlock;
            path.process(values, rates[block], line, state,
                         {{&in[at], &in[at], &r.left[at], &r.right[at], 1, 1}, kBlock, false});
        });
    return r;
}

// A rate no line can be sized for computes with the line's; the highest one a line can be sized
// for is the host's, heard from the block it arrives in.
TEST(SignalPath, RepairsTheRatesAHostileHostSends)
{
    const Rendered reference = run({kLineRate, kLineRate, kLineRate, kLineRate});
    const std::tuple<const char*, std::array<float, 4>, bool> cases[] = {
        {"rates no line can be sized for", {0.0f, -kLineRate, kNaN, kHighestRate * 2.0f}, true},
        {"the highest rate last", {kLineRate, kLineRate, kLineRate, kHighestRate}, false},
    };
    for (const auto& [name, rates, sameAsReference] : cases) {
        const Rendered r = run(rates);
        const bool same = r.left == reference.left && r.right == reference.right;
        EXPECT_EQ(same, sameAsReference) << name;
        EXPECT_TRUE(std::equal(r.left.begin(), r.left.begin() + 900, reference.left.begin())) << name;
    }
}

} // namespace
