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
    values[kTap2Level] = values[kTap3Level] = values[kTap4Level] = values[kTap4Feedback] = 0.0f;
    values[kTap1Time] = 400.0f;
    for (const auto& [index, value] : settings)
        values[index] = value;
    return computeCoefficients(values, kRate, kLength);
}

TEST(EchoPattern, RepeatsArePassesApartScaledByTheFeedbackAndTheFiltersGain)
{
    const auto band = tap1({{kTap1Feedback, 50.0f}, {kFilterType, 2.0f}, {kFilterQ, 0.5f}});
    const std::tuple<const char*, BlockCoefficients, double> cases[] = {
        {"through, 50 %", tap1({{kTap1Feedback, 50.0f}}), 0.25},
        {"a loop that gains: 100 % of 200 %", tap1({{kTap1Feedback, 100.0f}, {kMasterFeedback, 200.0f}}), 4.0},
        {"band-pass, 50 %", band, 0.25 * std::norm(filterResponse(band, filterFrequency(band.f, kRate), kRate))}};
    for (const auto& [name, c, perPass] : cases) {
        double expected = 1.0;
        std::vector<SideEnergy> energy(200);
        echoPattern(c, kRate, kLength, energy);
        for (int x = 0; x < 200; ++x) {
            const bool echo = x % 40 == 0 && x > 0;
            EXPECT_NEAR(energy[x].left, echo ? expected : 0.0, 1e-9 * expected) << name << ", column " << x;
            EXPECT_EQ(energy[x].right, 0.0) << name << ", column " << x;
            expected *= echo ? perPass : 1.0;
        }
    }
    // A tap at 0 ms reads the whole line: its echoes fall at 2 s and beyond, out of the picture. One
    // frame long and gaining: held.
    for (const auto& [ms, held] : {std::pair(0.0f, 0.0), std::pair(1.0f / 44.1f, 1e4)}) {
        const auto c = tap1({{kTap1Time, ms}, {kTap1Feedback, 100.0f}, {kMasterFeedback, 200.0f}});
        std::vector<SideEnergy> energy(60);
        echoPattern(c, kRate, kLength, energy);
        EXPECT_EQ(echoColumn(c, 0, kLength, 60), ms == 0.0f ? 59 : 0) << ms << " ms";
        const auto loudest = [](SideEnergy a, SideEnergy b) { return a.left < b.left; };
        EXPECT_EQ(std::max_element(energy.begin(), energy.end(), loudest)->left, held) << ms << " ms";
    }
}

} // namespace
