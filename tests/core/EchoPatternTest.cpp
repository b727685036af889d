// The echoes a picture shows, against the loop's arithmetic: a tap's repeats one pass apart, each
// pass scaled by the feedback and the filter's gain where it runs; bounded whatever the loop does.
#include "core/EchoPattern.h"
#include "core/FilterResponse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace quadecho;

namespace {

constexpr float kRate = 44100.0f;
const std::int32_t kLength = lineLengthFor(kRate);

// Tap 1 alone, hard left at 400 ms, then the settings.
BlockCoefficients oneTap(std::initializer_list<std::pair<int, float>> settings)
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
    const auto bandPass = oneTap({{kTap1Feedback, 50.0f}, {kFilterType, 2.0f}, {kFilterQ, 0.5f}});
    const std::tuple<const char*, BlockCoefficients, double> cases[] = {
        {"through, 50 %", oneTap({{kTap1Feedback, 50.0f}}), 0.25},
        {"the master's share: 25 % of 200 %", oneTap({{kTap1Feedback, 25.0f}, {kMasterFeedback, 200.0f}}), 0.25},
        {"a loop that gains: 100 % of 200 %", oneTap({{kTap1Feedback, 100.0f}, {kMasterFeedback, 200.0f}}), 4.0},
        {"band-pass, 50 %", bandPass,
         0.25 * std::norm(filterResponse(bandPass, filterFrequency(bandPass.f, kRate), kRate))},
    };
    for (const auto& [name, c, perPass] : cases) {
        // 200 columns of 10 ms: the echoes at columns 40, 80, 120 and 160, and nothing else.
        const std::vector<SideEnergy> energy = pattern(c, 200);
        double expected = 1.0;
        for (int x = 0; x < 200; ++x) {
            const double left = x % 40 == 0 && x > 0 ? expected : 0.0;
            EXPECT_NEAR(energy[x].left, left, 1e-9 * left) << name << ", column " << x;
            EXPECT_EQ(energy[x].right, 0.0) << name << ", column " << x << ": hard left";
            expected *= x % 40 == 0 && x > 0 ? perPass : 1.0;
        }
    }
}

TEST(EchoPattern, StaysBoundedAndInPlaceAtTheLinesEnds)
{
    const std::tuple<const char*, float, int> cases[] = {
        {"0 ms reads the whole line", 0.0f, 59}, {"2000 ms", 2000.0f, 59}, {"one frame", 1.0f / 44.1f, 0}};
    for (const auto& [name, ms, column] : cases) {
        const auto c = oneTap({{kTap1Time, ms},
                               {kTap1Feedback, 100.0f},
                               {kMasterFeedback, 200.0f},
                               {kFilterQ, 1.0f},
                               {kFilterType, 1.0f}});
        EXPECT_EQ(echoColumn(c, 0, kLength, 60), column) << name;
        double most = 0.0;
        for (const SideEnergy& e : pattern(c, 60))
            most = std::max({most, e.left, e.right});
        // A loop gaining every frame is held at +40 dB; an echo at the end falls outside the span.
        EXPECT_EQ(most, ms == 1.0f / 44.1f ? 1e4 : 0.0) << name;
    }
    // Widths the pattern cannot hold leave the columns as they were.
    for (const int columns : {0, kMostEchoColumns + 1}) {
        const std::vector<SideEnergy> energy = pattern(oneTap({}), columns);
        EXPECT_TRUE(energy.empty() || energy.front().left == -1.0) << columns << " columns";
    }
}

} // namespace
