// The parts of a frame, each written once, for one frame (float) and for four or eight frames
// side by side (Lanes, Lanes8): the loop input, the soft clipper, one filter step, the morph, the
// tap sums and the output mix. Included by every file that builds a frame loop for a processor,
// by the blocked filter's derivation and by the benchmark's floor kernel. Everything here has
// internal linkage, so that no copy compiled for one instruction set is ever shared with another.
#pragma once

#include "Coefficients.h"

// The instruction set this copy is compiled for, asked here alone.
#if defined(__SSE__)
#include <immintrin.h>
#endif

namespace quadecho {
namespace kernel {
namespace {

// Four frames side by side. The vector type is the compiler's own: SSE2 on x86, AltiVec or plain
// scalar code elsewhere, with exactly the arithmetic of one frame in every lane.
typedef float Lanes __attribute__((vector_size(16)));
// Eight frames side by side: one AVX register.
typedef float Lanes8 __attribute__((vector_size(32)));

template <class T> inline T splat(float x) noexcept { return x; }
template <> inline Lanes splat<Lanes>(float x) noexcept { return Lanes{x, x, x, x}; }
template <> inline Lanes8 splat<Lanes8>(float x) noexcept { return Lanes8{x, x, x, x, x, x, x, x}; }

// The widest vector of the instruction set this copy is compiled for: eight frames go through the
// element-wise parts of a frame in one of these (AVX) or two (SSE2 and the rest).
#if defined(__AVX__)
using Wide = Lanes8;
#else
using Wide = Lanes;
#endif
constexpr int kWide = sizeof(Wide) / sizeof(float);

constexpr float fYLim = 1.0f;
constexpr float fBeta = 0.148148149f; // 4/27: the cubic meets ±fYLim with zero slope at ±1.5

// The block's gains as the frame loops apply them (BlockCoefficients), in the width of the loop.
template <class T> struct Gains {
    T feedback[kNumTaps], left[kNumTaps], right[kNumTaps]; // driven; wet
    T half, outGain, dry;                                  // half: 0.5 driven
    MorphWeights<T> morph;

    explicit Gains(const BlockCoefficients& c) noexcept
        : half(splat<T>(c.halfDrive)), outGain(splat<T>(c.outGain)),
          dry(splat<T>(c.dry)), morph{splat<T>(c.morph.wThru), splat<T>(c.morph.wLow), splat<T>(c.morph.wBand),
                                      splat<T>(c.morph.wHigh)}
    {
        for (int i = 0; i < kNumTaps; ++i) {
            feedback[i] = splat<T>(c.drivenFeedback[i]);
            left[i] = splat<T>(c.wetLeft[i]);
            right[i] = splat<T>(c.wetRight[i]);
        }
    }
};

// The mono input plus every tap's feedback, in tap order, driven into the clipper.
template <class T> inline T loopInput(const Gains<T>& g, T xL, T xR, const T (&t)[kNumTaps]) noexcept
{
    T v = (xL + xR) * g.half;
    for (int i = 0; i < kNumTaps; ++i)
        v = v + g.feedback[i] * t[i];
    return v;
}

// The loop input held at the knee: beyond ±1.5 the cubic would turn back. A value that is not a
// number fails the first comparison and becomes -1.5. On x86, maxps and minps do exactly this
// (they answer their second operand when either is not a number) in one instruction each.
template <class T> inline T holdAtKnee(T v) noexcept
{
    const T low = v > splat<T>(-1.5f) ? v : splat<T>(-1.5f);
    return low < splat<T>(1.5f) ? low : splat<T>(1.5f);
}
#if defined(__SSE__)
template <> inline Lanes holdAtKnee<Lanes>(Lanes v) noexcept
{
    return _mm_min_ps(_mm_max_ps(v, splat<Lanes>(-1.5f)), splat<Lanes>(1.5f));
}
#endif
#if defined(__AVX__)
template <> inline Lanes8 holdAtKnee<Lanes8>(Lanes8 v) noexcept
{
    return _mm256_min_ps(_mm256_max_ps(v, splat<Lanes8>(-1.5f)), splat<Lanes8>(1.5f));
}
#endif

// Cubic up to the knee, the limit beyond it: the cubic reaches ±fYLim at ±1.5 exactly (with
// either rounding of its products), so holding the input there is the same as limiting the output.
template <class T> inline T softClip(T v) noexcept
{
    const T held = holdAtKnee(v);
    return held - ((splat<T>(fBeta) * held) * held) * held;
}

// One step of the state-variable filter: the one recurrence of the loop, each update needing the
// one before. The audio path runs it in single precision; the blocked filter's matrices come from
// running it on other number types (core/FilterBlock.cpp).
template <class T, class K> inline void filterStep(T y, K f, K damping, FilterStateOf<T>& s) noexcept
{
    s.low = s.low + f * s.band;
    s.high = (y - s.low) - s.band * damping;
    s.band = s.band + f * s.high;
}

// Through, low, band and high, weighted by the filter type: what the line receives.
template <class T, class W> inline T morph(const MorphWeights<W>& w, T y, T low, T band, T high) noexcept
{
    return ((w.wThru * y + w.wLow * low) + w.wBand * band) + w.wHigh * high;
}

// One side's taps weighted by level, pan and the wet level, in tap order.
template <class T> inline T tapSum(const T (&gain)[kNumTaps], const T (&t)[kNumTaps]) noexcept
{
    T sum = gain[0] * t[0];
    for (int i = 1; i < kNumTaps; ++i)
        sum = sum + gain[i] * t[i];
    return sum;
}

// One output: dry input and wet taps, added to what the host's buffer held when accumulating.
template <bool kAccumulate, class T> inline T outputMix(const Gains<T>& g, T old, T x, T wetTaps) noexcept
{
    if constexpr (kAccumulate)
        return (old + g.dry * x) + wetTaps;
    else
        return g.dry * x + wetTaps;
}

} // namespace
} // namespace kernel
} // namespace quadecho
