// The signal path as pure arithmetic: per-block coefficients from the 23 real values, and the
// per-frame loop over a plain state. No allocation, lock, system call or exception in here.
#pragma once

#include "base/ParameterTable.h"

#include <cstdint>

namespace quadecho {

constexpr int kNumTaps = 4;

// Everything the frame loop needs, computed once per block.
struct BlockCoefficients {
    std::int32_t delay[kNumTaps]; // samples, already clamped into 0..N
    float feedback[kNumTaps], left[kNumTaps], right[kNumTaps];
    float dry, wet, f, damping, drive, outGain;
    float wThru, wLow, wBand, wHigh;
};

struct FilterState {
    float low, high, band;
};

// values: real parameter values, all finite. lineLength: N >= 1.
BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept;

struct Channels {
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    int inStride; // floats from one frame to the next
    int outStride;
};

// Runs frames through the line. writeIndex lies in 0..lineLength-1. With accumulate false the
// outputs are written without being read, so leftovers in a host's buffer never leak in.
void runFrames(const BlockCoefficients& c, float* line, std::int32_t lineLength, std::int32_t& writeIndex,
               FilterState& state, const Channels& io, std::uint32_t frames, bool accumulate) noexcept;

// Whether this processor can run the frame loop built for AVX2 and fused multiply-add (used
// wherever it can), and a switch between it and the portable loop, for comparing the two.
bool wideFramesAvailable() noexcept;
void useWideFrames(bool enabled) noexcept;

} // namespace quadecho
