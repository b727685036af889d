// The echoes a picture shows, against the loop's arithmetic: tap 1 alone, hard left at 400 ms, on
// 200 columns of 10 ms. Its repeats fall one pass apart, each pass scaled by the feedback and the
// filter's gain where it runs; a loop that gains is held at +40 dB.
#include "core/EchoPattern.h"
#include "core/FilterResponse.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quadecho;

namespace {

constexpr float kRate = 44100.0f;
const std::int32_t kLength = lineLengthFor(kRate);

BlockCoefficients tap1(std::initializer_list<std::pair<int, float>> settings)
{
    float values[kNumParams];
    defaultValues(values);
    for (int i = 1; i < kNumTaps; ++i)
        values[tapParam(i, TapParam::Level)] = values[tapParam(i, TapParam::Feedback)] = 0.0f;
    values[kTap1Time] = 400.0f;
    for (const auto& [index, value] : settings)
        values[index] = value;
    return computeCoefficients(values, kRate, kLength);
}

std::vector<SideEnergy> pattern(const BlockCoefficients& c, int columns)
{
    std::vector<SideEnergy> energy(static_cast<std::size_t>(columns), SideEnergy{-1.0, -1.0});
    echoPattern(c, kRate, kLength, energy);
    return energy;
}

TEST(EchoPattern, RepeatsArePassesApartScaledByTheFeedbackAndTheFiltersGain)
{
    const auto band = tap1({{kTap1Feedback, 50.0f}, {kFilterType, 2.0f}, {kFilterQ, 0.5f}});
    const std::tuple<const char*, BlockCoefficients, double> cases[] = {
        {"through, 50 %", tap1({{kTap1Feedback, 50.0f}}), 0.25},
        {"25 % of 200 %", tap1({{kTap1Feedback, 25.0f}, {kMasterFeedback, 200.0f}}), 0.25},
        {"a loop that gains: 100 % of 200 %", tap1({{kTap1Feedback, 100.0f}, {kMasterFeedback, 200.0f}}), 4.0},
        {"band-pass, 50 %", band, 0.25 * std::norm(filterResponse(band, filterFrequency(band.f, kRate), kRate))}};
    for (const auto& [name, c, perPass] : cases) {
        double expected = 1.0;
        const std::vector<SideEnergy> energy = pattern(c, 200);
        for (int x = 0; x < 200; ++x) {
            const bool echo = x % 40 == 0 && x > 0;
            EXPECT_NEAR(energy[x].left, echo ? expected : 0.0, 1e-9 * expected) << name << ", column " << x;
            EXPECT_EQ(energy[x].right, 0.0) << name << ", column " << x;
            expected *= echo ? perPass : 1.0;
        }
    }
    // A tap at 0 ms reads the whole line: its echoes fall at 2 s and beyond, out of the picture. One
    // frame long, gaining: held. Widths the pattern cannot hold leave the columns as they were.
    const std::pair<float, double> loops[] = {{0.0f, 0.0}, {1.0f / 44.1f, 1e4}};
    for (const auto& [ms, most] : loops) {
        const auto c = tap1({{kTap1Time, ms}, {kTap1Feedback, 100.0f}, {kMasterFeedback, 200.0f}, {kFilterQ, 1.0f}});
        EXPECT_EQ(echoColumn(c, 0, kLength, 60), ms == 0.0f ? 59 : 0) << ms << " ms";
        for (const SideEnergy& e : pattern(c, 60))
            EXPECT_LE(e.left, most) << ms << " ms";
        EXPECT_EQ(pattern(c, 60)[59].left, most) << ms << " ms";
    }
    EXPECT_EQ(pattern(tap1({}), kMostEchoColumns + 1)[0].left, -1.0);
}

} // namespace
