// The effect's 23 parameters, described once in plain C++: number, name, unit, range and default
// in real units (milliseconds, hertz, percent). The host's parameter numbers are the rows' indexes.
// The effect base's table, the tool, the benchmark and the tests all read these rows.
#pragma once

#include <bit>
#include <cstdint>

// Units as Apple's published Audio Unit parameter units number them: stored programs and the
// Audio-Unit-style layer speak these numbers.
enum AudioUnitParameterUnit : std::uint32_t {
    kAudioUnitParameterUnit_Generic = 0,
    kAudioUnitParameterUnit_Indexed = 1,
    kAudioUnitParameterUnit_Boolean = 2,
    kAudioUnitParameterUnit_Percent = 3,
    kAudioUnitParameterUnit_Seconds = 4,
    kAudioUnitParameterUnit_Hertz = 8,
    kAudioUnitParameterUnit_Cents = 9,
    kAudioUnitParameterUnit_Decibels = 13,
    kAudioUnitParameterUnit_LinearGain = 14,
    kAudioUnitParameterUnit_Pan = 18,
    kAudioUnitParameterUnit_BPM = 22,
    kAudioUnitParameterUnit_Beats = 23,
    kAudioUnitParameterUnit_Milliseconds = 24,
};

namespace quadecho {

constexpr int kNumTaps = 4;

// Each tap owns four consecutive parameters, in this order.
enum class TapParam : int { Time = 0, Pan = 1, Feedback = 2, Level = 3 };
constexpr int kParamsPerTap = 4;

// The parameter number of one of tap's (0..3) four parameters.
constexpr int tapParam(int tap, TapParam which) { return kParamsPerTap * tap + static_cast<int>(which); }

enum Param : int {
    kTap1Time = tapParam(0, TapParam::Time),
    kTap1Pan,
    kTap1Feedback,
    kTap1Level,
    kTap2Time,
    kTap2Pan,
    kTap2Feedback,
    kTap2Level,
    kTap3Time,
    kTap3Pan,
    kTap3Feedback,
    kTap3Level,
    kTap4Time,
    kTap4Pan,
    kTap4Feedback,
    kTap4Level,
    kWetDryMix,
    kFilterCutoff,
    kFilterQ,
    kFilterType,
    kFilterSweep,
    kSaturation,
    kMasterFeedback,
    kNumParams
};
static_assert(kWetDryMix == tapParam(kNumTaps, TapParam::Time), "the taps' parameters come first");

struct ParameterFacts {
    int index;
    const char* name; // ASCII
    AudioUnitParameterUnit unit;
    float minValue;
    float maxValue;
    float defaultValue;
};

namespace facts {
constexpr auto kMs = kAudioUnitParameterUnit_Milliseconds;
constexpr auto kPan = kAudioUnitParameterUnit_Pan;
constexpr auto kPercent = kAudioUnitParameterUnit_Percent;
constexpr auto kGain = kAudioUnitParameterUnit_LinearGain;
constexpr auto kGeneric = kAudioUnitParameterUnit_Generic;
constexpr auto kHertz = kAudioUnitParameterUnit_Hertz;
// The middle pans spread the taps evenly: -1 + 2/3 and -1 + 4/3 as single-precision sums, not
// the floats nearest to 1/3.
constexpr float kPanTap2 = std::bit_cast<float>(0xbeaaaaaau);
constexpr float kPanTap3 = std::bit_cast<float>(0x3eaaaaacu);
} // namespace facts

inline constexpr ParameterFacts kParameters[kNumParams] = {
    {kTap1Time, "Tap 1 time", facts::kMs, 0.0f, 2000.0f, 200.0f},
    {kTap1Pan, "Tap 1 pan", facts::kPan, -1.0f, 1.0f, -1.0f},
    {kTap1Feedback, "Tap 1 feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap1Level, "Tap 1 level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap2Time, "Tap 2 time", facts::kMs, 0.0f, 2000.0f, 400.0f},
    {kTap2Pan, "Tap 2 pan", facts::kPan, -1.0f, 1.0f, facts::kPanTap2},
    {kTap2Feedback, "Tap 2 feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap2Level, "Tap 2 level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap3Time, "Tap 3 time", facts::kMs, 0.0f, 2000.0f, 600.0f},
    {kTap3Pan, "Tap 3 pan", facts::kPan, -1.0f, 1.0f, facts::kPanTap3},
    {kTap3Feedback, "Tap 3 feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap3Level, "Tap 3 level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap4Time, "Tap 4 time", facts::kMs, 0.0f, 2000.0f, 800.0f},
    {kTap4Pan, "Tap 4 pan", facts::kPan, -1.0f, 1.0f, 1.0f},
    {kTap4Feedback, "Tap 4 feedback", facts::kPercent, 0.0f, 100.0f, 40.0f},
    {kTap4Level, "Tap 4 level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kWetDryMix, "Wet/Dry mix", facts::kGeneric, 0.0f, 1.0f, 1.0f},
    {kFilterCutoff, "Filter Cutoff", facts::kHertz, 50.0f, 8000.0f, 1000.0f},
    {kFilterQ, "Filter Q", facts::kGeneric, 0.01f, 1.0f, 0.1f},
    {kFilterType, "Filter Type", facts::kGeneric, 0.0f, 4.0f, 0.0f},
    {kFilterSweep, "Filter Sweep", facts::kGeneric, 0.0f, 1.0f, 0.0f},
    {kSaturation, "Saturation", facts::kGeneric, 0.0f, 11.0f, 0.0f},
    {kMasterFeedback, "Master feedback", facts::kPercent, 0.0f, 200.0f, 100.0f},
};

// The filter type's names at its whole values; between them it morphs, and the value stays
// continuous.
inline constexpr const char* kFilterTypeNames[] = {"Thru", "Low", "Band", "High", "Thru"};

// Every row stands at its own number.
constexpr bool rowsInOrder()
{
    for (int i = 0; i < kNumParams; ++i)
        if (kParameters[i].index != i)
            return false;
    return true;
}
static_assert(rowsInOrder(), "each row of kParameters stands at the index it names");

inline bool isParameterIndex(long long index) { return index >= 0 && index < kNumParams; }

// How a normalised value (0..1) maps to a real one, decided by the unit alone.
enum class Scaling { Linear, Logarithmic, Rounded };

constexpr Scaling scalingOf(std::uint32_t unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Hertz:
        return Scaling::Logarithmic;
    case kAudioUnitParameterUnit_Beats:
    case kAudioUnitParameterUnit_Indexed:
        return Scaling::Rounded;
    default:
        return Scaling::Linear;
    }
}

// The mapping of one row, for any unit and range: this effect's rows and those of other effects
// alike. Neither direction clamps.
float valueFromLinear(std::uint32_t unit, float minValue, float maxValue, float linear) noexcept;
float valueToLinear(std::uint32_t unit, float minValue, float maxValue, float value) noexcept;

inline float valueFromLinear(const ParameterFacts& row, float linear) noexcept
{
    return valueFromLinear(row.unit, row.minValue, row.maxValue, linear);
}
inline float valueToLinear(const ParameterFacts& row, float value) noexcept
{
    return valueToLinear(row.unit, row.minValue, row.maxValue, value);
}

// A fresh program's values, in parameter order.
inline void defaultValues(float (&values)[kNumParams]) noexcept
{
    for (int i = 0; i < kNumParams; ++i)
        values[i] = kParameters[i].defaultValue;
}

} // namespace quadecho
