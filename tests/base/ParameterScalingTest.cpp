#include "base/ParameterTable.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using namespace quadecho;

TEST(ParameterScaling, ByUnitWithoutClampingAndIndexedRowsRoundHalvesUp)
{
    // index, normalised, real. Cutoff: 50 Hz to 8 kHz, its middle sqrt(50 * 8000). Rows outside the table
    // scale as a plain 0..1 row.
    std::vector<std::tuple<int, float, float>> cases = {
        {kTap1Time, 0.25f, 500.0f},       {kTap1Pan, 1.2f, 1.4f},          {kFilterCutoff, 1.0f, 8000.0f},
        {kFilterCutoff, 0.5f, 632.4555f}, {kMasterFeedback, 0.5f, 100.0f}, {kNumParams, 0.25f, 0.25f}};
    const float ranges[][2] = {{0, 2000}, {-1, 1}, {0, 100}, {0, 1}}; // every tap: ms, pan, %, level
    for (int i = 0; i < 8 * kNumTaps; ++i)                            // each tap, each kind, each end
        cases.emplace_back(tapParam(i / 8, TapParam(i / 2 % 4)), float(i % 2), ranges[i / 2 % 4][i % 2]);
    for (const auto& [index, normalised, real] : cases) {
        const AudioUnitParameter p{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
        EXPECT_FLOAT_EQ(AUParameterValueFromLinear(normalised, &p), real) << index << " at " << normalised;
        EXPECT_NEAR(AUParameterValueToLinear(real, &p), normalised, 1e-6f) << index << " at " << real;
    }
    EXPECT_EQ(AUParameterValueFromLinear(0.25f, nullptr), 0.25f);
    const ParamInfo indexed{nullptr, kAudioUnitParameterUnit_Indexed, 0.0f, 4.0f, 0.0f};
    EXPECT_EQ(std::tuple(valueFromLinear(indexed, 0.374f), valueFromLinear(indexed, 0.375f)), std::tuple(1.0f, 2.0f));
    // A row without range maps to its value.
    EXPECT_EQ(valueToLinear({nullptr, kAudioUnitParameterUnit_Generic, 3.0f, 3.0f, 3.0f}, 3.0f), 3.0f);
}

} // namespace
