#include "base/ParameterTable.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

using namespace quadecho;

float fromLinear(int index, float x)
{
    AudioUnitParameter parameter{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
    return AUParameterValueFromLinear(x, &parameter);
}

float toLinear(int index, float v)
{
    AudioUnitParameter parameter{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
    return AUParameterValueToLinear(v, &parameter);
}

TEST(ParameterScaling, NormalisedToRealByUnitWithoutClampingEitherWay)
{
    struct Case {
        int index;
        float normalised, real, tolerance;
    };
    const Case cases[] = {
        {kTap1Time, 0.0f, 0.0f, 0},
        {kTap1Time, 1.0f, 2000.0f, 0},
        {kTap1Time, 0.1f, 200.0f, 0},
        {kTap1Time, 0.25f, 500.0f, 0},
        {kTap1Time, 1.2f, 2400.0f, 0},
        {kTap1Time, -0.1f, -200.0f, 0},
        {kTap1Pan, 0.0f, -1.0f, 0},
        {kTap1Pan, 1.0f, 1.0f, 0},
        {kTap1Pan, 0.5f, 0.0f, 0},
        {kFilterCutoff, 0.0f, 50.0f, 0},
        {kFilterCutoff, 1.0f, 8000.0f, 0.001f},
        {kFilterCutoff, 0.5f, 632.4555f, 0.0001f},
        {kFilterCutoff, 1.2f, 22075.68f, 0.01f},
        {kFilterCutoff, -0.1f, 30.10f, 0.01f},
        {kFilterType, 0.3f, 1.2f, 0},
        {kMasterFeedback, 0.5f, 100.0f, 0},
        {kFilterQ, 1.0f, 1.0f, 0},
        {kSaturation, 0.5f, 5.5f, 0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(fromLinear(c.index, c.normalised), c.real, c.tolerance) << c.index << " at " << c.normalised;
    EXPECT_EQ(toLinear(kTap1Time, 2400.0f), 1.2f);
    EXPECT_EQ(toLinear(kTap1Time, -200.0f), -0.1f);
    EXPECT_GT(toLinear(kFilterCutoff, 16000.0f), 1.0f);
    EXPECT_NEAR(toLinear(kFilterCutoff, 632.4555f), 0.5f, 1e-6f);
}

TEST(ParameterScaling, DefaultsReadBackAsTheHostSeesThem)
{
    const float expected[kNumParams] = {0.1f, 0.0f,        0.0f,        1.0f, 0.2f, 0.33333334f, 0.0f, 1.0f,
                                        0.3f, 0.6666667f,  0.0f,        1.0f, 0.4f, 1.0f,        0.4f, 1.0f,
                                        1.0f, 0.59027183f, 0.09090909f, 0.0f, 0.0f, 0.0f,        0.5f};
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(toLinear(i, astParamInfos[i].defaultValue), expected[i]) << "row " << i;
    // The middle pans are the single-precision sums -1 + 2/3 and -1 + 4/3.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(astParamInfos[kTap2Pan].defaultValue), 0xbeaaaaaau);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(astParamInfos[kTap3Pan].defaultValue), 0x3eaaaaacu);
}

TEST(ParameterScaling, RoundedUnitsRoundHalvesUpAndAFlatRowMapsToItsValue)
{
    for (UInt32 unit : {UInt32(kAudioUnitParameterUnit_Indexed), UInt32(kAudioUnitParameterUnit_Beats)}) {
        const ParamInfo row{nullptr, unit, 0.0f, 4.0f, 0.0f};
        const std::pair<float, float> cases[] = {{0.374f, 1.0f}, {0.375f, 2.0f}, {0.0f, 0.0f},
                                                 {1.0f, 4.0f},   {-0.1f, 0.0f},  {1.5f, 6.0f}};
        for (const auto& [x, real] : cases)
            EXPECT_EQ(valueFromLinear(row, x), real) << unit << " at " << x;
        EXPECT_EQ(valueToLinear(row, 2.0f), 0.5f);
    }
    const ParamInfo flat{nullptr, kAudioUnitParameterUnit_Generic, 3.0f, 3.0f, 3.0f};
    EXPECT_EQ(valueToLinear(flat, 3.0f), 3.0f);
    EXPECT_EQ(valueFromLinear(flat, 0.7f), 3.0f);
}

} // namespace
