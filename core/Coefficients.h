// The per-block coefficients: everything the frame loop needs, from the 23 real values, the rate
// and the line's length. A plain value; the updater below decides when to form it again.
#pragma once

#include "FilterBlock.h"
#include "Parameters.h"
#include "Types.h"

#include <cstdint>

namespace quadecho {

struct BlockCoefficients {
    std::int32_t delay[kNumTaps]; // samples, already clamped into 0..N
    float feedback[kNumTaps], left[kNumTaps], right[kNumTaps];
    float dry, wet, f, damping, drive, outGain;
    MorphWeights<float> morph;
    FilterBlock filter; // the filter over whole stretches, where it is damped enough

    // Formed from the above by formLoopGains. The gains as the frame loops apply them: the drive
    // folded into the loop input's, the wet level into the taps' outputs (two products fewer per
    // frame, the same results within single-precision rounding).
    float drivenFeedback[kNumTaps], wetLeft[kNumTaps], wetRight[kNumTaps], halfDrive;
    std::int32_t shortestRead; // the fewest frames any tap reads back: a delay of 0 reads N
};

// Forms the loop gains and the shortest read from the other coefficients, once per change rather
// than at the start of every block: a host that does not flush denormals has the floating-point
// mode written just before, and arithmetic there waits for it. The updater calls it; coefficients
// changed by hand need it again.
void formLoopGains(BlockCoefficients& c, std::int32_t lineLength) noexcept;

// The filter's frequency coefficient F is held at or below this whatever the cutoff and sweep:
// every cutoff above about 1759 Hz at 44.1 kHz gives the same filter.
constexpr double kMostFrequencyCoefficient = 0.25;

// What the sweep adds to the cutoff, in Hz: 0 at sweep 0, 7937.5 at 1.
float sweepHz(float sweep) noexcept;

// values: real parameter values, all finite. sampleRate: positive. lineLength: N >= 1.
BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept;

// Whether the values of a block may differ from the last block's: a host interface that counts
// changes knows when they cannot, and then they need no comparison.
enum class KnownValues { MayHaveChanged, SameAsLastBlock };

// The last block's coefficients, kept while the values (compared as read, bit for bit), the rate
// and the line's length stay the same. When something changes only the affected work is done
// again: each transcendental function only when its own inputs change, the blocked filter only
// when F, D, a morph weight or the output gain does.
class CoefficientUpdater {
public:
    // The values count as the policy says (Parameters.h): a value that is not finite as its
    // parameter's default.
    explicit CoefficientUpdater(HostValues policy = HostValues::AsGiven) noexcept : policy(policy) {}

    const BlockCoefficients& update(const float (&values)[kNumParams], float sampleRate, std::int32_t lineLength,
                                    KnownValues known = KnownValues::MayHaveChanged) noexcept;

private:
    // What the transcendental functions answered for the inputs they had last.
    struct Transcendentals {
        float sweep, sweepHz; // 62.5·2^(7·sweep) − 62.5
        float cutoff, rate;   // the effective cutoff
        double sine;          // 2·sin(π·cutoff / rate)
        float q;
        double qDamping; // 2·(1 − Q^0.25)
    };

    void form(const float (&values)[kNumParams], float sampleRate, std::int32_t lineLength) noexcept;

    HostValues policy;
    bool valid = false;
    float lastValues[kNumParams] = {};
    float lastRate = 0.0f;
    std::int32_t lastLength = 0;
    Transcendentals memo{};
    BlockCoefficients c{};
};

} // namespace quadecho
