// The effect's parameters by name: the host's parameter numbers, which are also the rows of the
// parameter table. Depends on nothing, so that the delay core, the tool and the tests share it.
#pragma once

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

// The delay line holds this long at the rate it was sized for; the longest tap time reads all of it.
constexpr float kLineSeconds = 2.0f;

} // namespace quadecho
