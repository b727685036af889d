// The effect's 23 parameters, described once in plain C++: number, name, LV2 symbol, unit, range
// and default in real units (milliseconds, hertz, percent). The host's parameter numbers are the
// rows' indexes. The effect base's table, the LV2 metadata, the tool, the benchmark and the tests
// all read these rows.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace quadecho {

// The units of the real values. Their numbers are Apple's published Audio Unit parameter units,
// which the effect base's layer speaks (base/AudioUnitTypes.h maps the two).
enum class Unit : std::uint32_t {
    Generic = 0,
    Indexed = 1,
    Boolean = 2,
    Percent = 3,
    Seconds = 4,
    Hertz = 8,
    Cents = 9,
    Decibels = 13,
    LinearGain = 14,
    Pan = 18,
    BPM = 22,
    Beats = 23,
    Milliseconds = 24,
};

// The label hosts show beside a value of the unit; empty for units without one.
constexpr const char* unitLabel(Unit unit) noexcept
{
    switch (unit) {
    case Unit::Percent:
        return "%";
    case Unit::Seconds:
        return "seconds";
    case Unit::Hertz:
        return "Hz";
    case Unit::Cents:
        return "cents";
    case Unit::Decibels:
        return "dB";
    case Unit::Pan:
        return "L/R";
    case Unit::BPM:
        return "BPM";
    case Unit::Beats:
        return "beats";
    case Unit::Milliseconds:
        return "ms";
    default:
        return "";
    }
}

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
    const char* name;   // ASCII
    const char* symbol; // the LV2 port's symbol: fixed once released, hosts keep it in sessions
    Unit unit;
    float minValue;
    float maxValue;
    float defaultValue;
};

namespace facts {
constexpr auto kMs = Unit::Milliseconds;
constexpr auto kPan = Unit::Pan;
constexpr auto kPercent = Unit::Percent;
constexpr auto kGain = Unit::LinearGain;
constexpr auto kGeneric = Unit::Generic;
constexpr auto kHertz = Unit::Hertz;
// The middle pans spread the taps evenly: -1 + 2/3 and -1 + 4/3 as single-precision sums, not
// the floats nearest to 1/3.
constexpr float kPanTap2 = std::bit_cast<float>(0xbeaaaaaau);
constexpr float kPanTap3 = std::bit_cast<float>(0x3eaaaaacu);
} // namespace facts

inline constexpr ParameterFacts kParameters[kNumParams] = {
    {kTap1Time, "Tap 1 time", "tap1_time", facts::kMs, 0.0f, 2000.0f, 200.0f},
    {kTap1Pan, "Tap 1 pan", "tap1_pan", facts::kPan, -1.0f, 1.0f, -1.0f},
    {kTap1Feedback, "Tap 1 feedback", "tap1_feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap1Level, "Tap 1 level", "tap1_level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap2Time, "Tap 2 time", "tap2_time", facts::kMs, 0.0f, 2000.0f, 400.0f},
    {kTap2Pan, "Tap 2 pan", "tap2_pan", facts::kPan, -1.0f, 1.0f, facts::kPanTap2},
    {kTap2Feedback, "Tap 2 feedback", "tap2_feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap2Level, "Tap 2 level", "tap2_level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap3Time, "Tap 3 time", "tap3_time", facts::kMs, 0.0f, 2000.0f, 600.0f},
    {kTap3Pan, "Tap 3 pan", "tap3_pan", facts::kPan, -1.0f, 1.0f, facts::kPanTap3},
    {kTap3Feedback, "Tap 3 feedback", "tap3_feedback", facts::kPercent, 0.0f, 100.0f, 0.0f},
    {kTap3Level, "Tap 3 level", "tap3_level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kTap4Time, "Tap 4 time", "tap4_time", facts::kMs, 0.0f, 2000.0f, 800.0f},
    {kTap4Pan, "Tap 4 pan", "tap4_pan", facts::kPan, -1.0f, 1.0f, 1.0f},
    {kTap4Feedback, "Tap 4 feedback", "tap4_feedback", facts::kPercent, 0.0f, 100.0f, 40.0f},
    {kTap4Level, "Tap 4 level", "tap4_level", facts::kGain, 0.0f, 1.0f, 1.0f},
    {kWetDryMix, "Wet/Dry mix", "wet_dry_mix", facts::kGeneric, 0.0f, 1.0f, 1.0f},
    {kFilterCutoff, "Filter Cutoff", "filter_cutoff", facts::kHertz, 50.0f, 8000.0f, 1000.0f},
    {kFilterQ, "Filter Q", "filter_q", facts::kGeneric, 0.01f, 1.0f, 0.1f},
    {kFilterType, "Filter Type", "filter_type", facts::kGeneric, 0.0f, 4.0f, 0.0f},
    {kFilterSweep, "Filter Sweep", "filter_sweep", facts::kGeneric, 0.0f, 1.0f, 0.0f},
    {kSaturation, "Saturation", "saturation", facts::kGeneric, 0.0f, 11.0f, 0.0f},
    {kMasterFeedback, "Master feedback", "master_feedback", facts::kPercent, 0.0f, 200.0f, 100.0f},
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

// An LV2 symbol: a letter or '_', then letters, digits and '_'.
constexpr bool isSymbol(const char* s)
{
    if (!s || !*s || (*s >= '0' && *s <= '9'))
        return false;
    for (; *s; ++s)
        if (!((*s >= 'a' && *s <= 'z') || (*s >= 'A' && *s <= 'Z') || (*s >= '0' && *s <= '9') || *s == '_'))
            return false;
    return true;
}
constexpr bool sameText(const char* a, const char* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}
constexpr bool symbolsValidAndUnique()
{
    for (int i = 0; i < kNumParams; ++i) {
        if (!isSymbol(kParameters[i].symbol))
            return false;
        for (int j = 0; j < i; ++j)
            if (sameText(kParameters[i].symbol, kParameters[j].symbol))
                return false;
    }
    return true;
}
static_assert(symbolsValidAndUnique(), "every row has an LV2 symbol of its own");

inline bool isParameterIndex(long long index) { return index >= 0 && index < kNumParams; }

// How a normalised value (0..1) maps to a real one, decided by the unit alone.
enum class Scaling { Linear, Logarithmic, Rounded };

constexpr Scaling scalingOf(Unit unit)
{
    switch (unit) {
    case Unit::Hertz:
        return Scaling::Logarithmic;
    case Unit::Beats:
    case Unit::Indexed:
        return Scaling::Rounded;
    default:
        return Scaling::Linear;
    }
}

// The mapping of one row, for any unit and range: this effect's rows and those of other effects
// alike. Neither direction clamps.
float valueFromLinear(Unit unit, float minValue, float maxValue, float linear) noexcept;
float valueToLinear(Unit unit, float minValue, float maxValue, float value) noexcept;

inline float valueFromLinear(const ParameterFacts& row, float linear) noexcept
{
    return valueFromLinear(row.unit, row.minValue, row.maxValue, linear);
}
inline float valueToLinear(const ParameterFacts& row, float value) noexcept
{
    return valueToLinear(row.unit, row.minValue, row.maxValue, value);
}

// How the values a host sends count; each host interface chooses one. Either way a value that is
// not finite counts as its parameter's default.
enum class HostValues {
    AsGiven,     // a finite value as it is, outside its range too: the 2.4 interface enforces none
    HeldToRange, // a finite value held to the range the host was told (LV2, CLAP)
};

inline float hostValue(HostValues policy, const ParameterFacts& row, float value) noexcept
{
    if (!std::isfinite(value))
        return row.defaultValue;
    return policy == HostValues::HeldToRange ? std::clamp(value, row.minValue, row.maxValue) : value;
}
// A value a host gives in double precision (CLAP's), held before it becomes a float: a finite one
// beyond what a float holds is held like any other.
inline float hostValue(HostValues policy, const ParameterFacts& row, double value) noexcept
{
    if (policy == HostValues::HeldToRange && std::isfinite(value))
        value = std::clamp(value, double(row.minValue), double(row.maxValue));
    return hostValue(policy, row, static_cast<float>(value));
}

// A fresh program's values, in parameter order.
inline void defaultValues(float (&values)[kNumParams]) noexcept
{
    for (int i = 0; i < kNumParams; ++i)
        values[i] = kParameters[i].defaultValue;
}

} // namespace quadecho
