#include "ParameterTable.h"

#include <bit>
#include <cmath>
#include <iterator>

namespace {

// The middle pans are -1 + 2/3 and -1 + 4/3 as single-precision sums, not the floats nearest 1/3.
const float kPanTap2 = std::bit_cast<float>(0xbeaaaaaau);
const float kPanTap3 = std::bit_cast<float>(0x3eaaaaacu);

constexpr UInt32 kMs = kAudioUnitParameterUnit_Milliseconds;
constexpr UInt32 kPan = kAudioUnitParameterUnit_Pan;
constexpr UInt32 kPercent = kAudioUnitParameterUnit_Percent;
constexpr UInt32 kGain = kAudioUnitParameterUnit_LinearGain;
constexpr UInt32 kGeneric = kAudioUnitParameterUnit_Generic;
constexpr UInt32 kHertz = kAudioUnitParameterUnit_Hertz;

// Rows outside the table (a corrupt parameter ID) scale as an empty generic row.
const ParamInfo& rowOf(const AudioUnitParameter* parameter)
{
    static const ParamInfo kNoRow{nullptr, kGeneric, 0.0f, 1.0f, 0.0f};
    if (!parameter || !isParameterIndex(parameter->mParameterID))
        return kNoRow;
    return astParamInfos[parameter->mParameterID];
}

} // namespace

const ParamInfo astParamInfos[] = {
    {CFSTR("Tap 1 time"), kMs, 0.0f, 2000.0f, 200.0f},
    {CFSTR("Tap 1 pan"), kPan, -1.0f, 1.0f, -1.0f},
    {CFSTR("Tap 1 feedback"), kPercent, 0.0f, 100.0f, 0.0f},
    {CFSTR("Tap 1 level"), kGain, 0.0f, 1.0f, 1.0f},
    {CFSTR("Tap 2 time"), kMs, 0.0f, 2000.0f, 400.0f},
    {CFSTR("Tap 2 pan"), kPan, -1.0f, 1.0f, kPanTap2},
    {CFSTR("Tap 2 feedback"), kPercent, 0.0f, 100.0f, 0.0f},
    {CFSTR("Tap 2 level"), kGain, 0.0f, 1.0f, 1.0f},
    {CFSTR("Tap 3 time"), kMs, 0.0f, 2000.0f, 600.0f},
    {CFSTR("Tap 3 pan"), kPan, -1.0f, 1.0f, kPanTap3},
    {CFSTR("Tap 3 feedback"), kPercent, 0.0f, 100.0f, 0.0f},
    {CFSTR("Tap 3 level"), kGain, 0.0f, 1.0f, 1.0f},
    {CFSTR("Tap 4 time"), kMs, 0.0f, 2000.0f, 800.0f},
    {CFSTR("Tap 4 pan"), kPan, -1.0f, 1.0f, 1.0f},
    {CFSTR("Tap 4 feedback"), kPercent, 0.0f, 100.0f, 40.0f},
    {CFSTR("Tap 4 level"), kGain, 0.0f, 1.0f, 1.0f},
    {CFSTR("Wet/Dry mix"), kGeneric, 0.0f, 1.0f, 1.0f},
    {CFSTR("Filter Cutoff"), kHertz, 50.0f, 8000.0f, 1000.0f},
    {CFSTR("Filter Q"), kGeneric, 0.01f, 1.0f, 0.1f},
    {CFSTR("Filter Type"), kGeneric, 0.0f, 4.0f, 0.0f},
    {CFSTR("Filter Sweep"), kGeneric, 0.0f, 1.0f, 0.0f},
    {CFSTR("Saturation"), kGeneric, 0.0f, 11.0f, 0.0f},
    {CFSTR("Master feedback"), kPercent, 0.0f, 200.0f, 100.0f},
};
static_assert(std::size(astParamInfos) == kNumParams, "one row for each parameter of ParameterIndex.h, in its order");

// Each step's precision is part of the result: the texts and the delay times depend on it.
float valueFromLinear(const ParamInfo& row, float linear)
{
    switch (row.unit) {
    case kAudioUnitParameterUnit_Hertz: {
        const float ratio = row.maxValue / row.minValue;
        const double exponent = static_cast<double>(linear) * std::log2(static_cast<double>(ratio));
        return static_cast<float>(static_cast<double>(row.minValue) * std::exp2(exponent));
    }
    case kAudioUnitParameterUnit_Beats:
    case kAudioUnitParameterUnit_Indexed: {
        const float value = row.minValue + linear * (row.maxValue - row.minValue);
        return std::floor(value + 0.5f);
    }
    default:
        return (row.maxValue - row.minValue) * linear + row.minValue;
    }
}

float valueToLinear(const ParamInfo& row, float value)
{
    if (row.maxValue == row.minValue)
        return row.maxValue;
    if (row.unit == kAudioUnitParameterUnit_Hertz) {
        const float k = 1.0f / row.minValue;
        const float scaled = value * k;
        const float span = k * row.maxValue;
        return static_cast<float>(std::log2(static_cast<double>(scaled)) / std::log2(static_cast<double>(span)));
    }
    return (value - row.minValue) / (row.maxValue - row.minValue);
}

float AUParameterValueFromLinear(float linear, const AudioUnitParameter* parameter)
{
    return valueFromLinear(rowOf(parameter), linear);
}

float AUParameterValueToLinear(float value, const AudioUnitParameter* parameter)
{
    return valueToLinear(rowOf(parameter), value);
}
