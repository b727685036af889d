// The signal path as pure arithmetic: per-block coefficients from the 23 real values, and the
// frame loops over a plain state. Depends on nothing of the framework; no allocation, lock,
// system call or exception in here.
#pragma once

#include "FilterBlock.h"
#include "base/ParameterIndex.h"

#include <cstdint>

namespace quadecho {

// What the transcendental functions answered for the inputs they had last.
struct Transcendentals {
    float sweep, sweepHz; // 62.5·2^(7·sweep) − 62.5
    float cutoff, rate;   // the effective cutoff
    double sine;          // 2·sin(π·cutoff / rate)
    float q;
    double qDamping; // 2·(1 − Q^0.25)
};

// Everything the frame loop needs, computed when a parameter or the rate changes.
struct BlockCoefficients {
    std::int32_t delay[kNumTaps]; // samples, already clamped into 0..N
    float feedback[kNumTaps], left[kNumTaps], right[kNumTaps];
    float dry, wet, f, damping, drive, outGain;
    float wThru, wLow, wBand, wHigh;
    FilterBlock filter; // the filter over whole stretches, where it is damped enough
    Transcendentals transcendentals;
};

struct FilterState {
    float low, high, band;
};

// values: real parameter values, all finite. sampleRate: positive. lineLength: N >= 1.
BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept;

// The same in place, over the coefficients of an earlier block (unless fresh): what depends only
// on unchanged inputs is kept. The blocked filter is formed again only when F, D or a morph
// weight changes, and each transcendental function runs only when its own inputs change.
void updateCoefficients(BlockCoefficients& c, const float (&values)[kNumParams], float sampleRate,
                        std::int32_t lineLength, bool fresh) noexcept;

struct Channels {
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    int inStride; // floats from one frame to the next
    int outStride;
};

// The builds of the frame loop: the portable one runs everywhere (SSE2 on x86); the wide one,
// for x86 processors with AVX2 and fused multiply-add, rounds fused products once.
enum class FrameLoop : std::int32_t { Portable, Wide };

// The best build this processor runs, found once when the module loads.
FrameLoop bestFrameLoop() noexcept;
bool canRun(FrameLoop loop) noexcept;

// Runs frames through the line with the given build (the portable one where this processor
// cannot run it). writeIndex lies in 0..lineLength-1. With accumulate false the outputs are
// written without being read, so leftovers in a host's buffer never leak in.
void runFrames(FrameLoop loop, const BlockCoefficients& c, float* line, std::int32_t lineLength,
               std::int32_t& writeIndex, FilterState& state, const Channels& io, std::uint32_t frames,
               bool accumulate) noexcept;

} // namespace quadecho
