// The frame loops, included by each file that builds them for a processor: every definition
// here has internal linkage, so no copy compiled for one instruction set is ever shared with
// another. Uses nothing from the standard library that the linker could merge either.
#pragma once

#include "DelayKernel.h"

#include <cstdint>
#include <cstring>

namespace quadecho {
namespace frames {
namespace {

using kernel::Gains;
using kernel::Lanes;

// Delays shorter than this go frame by frame: groups of four frames need every delay at least
// four long, and below this the stretches would be too short to pay.
constexpr std::int32_t kShortestStretch = 16;

// One frame at a time, for any stride and for tap delays too short for stretches.
template <bool kAccumulate>
void frameLoop(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& writeIndex, FilterState& state,
               const Channels& io, std::uint32_t frames) noexcept
{
    const Gains<float> g(c);
    std::int32_t w = writeIndex;
    FilterState s = state;
    std::int32_t r[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i)
        r[i] = n - c.delay[i]; // 0..N: w + r needs at most one wrap

    const float* inL = io.inL;
    const float* inR = io.inR;
    float* outL = io.outL;
    float* outR = io.outR;

    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        // Read everything before writing anything: inputs and outputs may be the same buffers,
        // and a zero delay means the whole line, the slot about to be overwritten.
        const float xL = *inL;
        const float xR = *inR;
        float t[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i) {
            std::int32_t slot = w + r[i];
            if (slot >= n)
                slot -= n;
            t[i] = line[slot];
        }

        const float y = kernel::softClip(kernel::loopInput(g, xL, xR, t)) * g.outGain;
        kernel::filterStep(y, c.f, c.damping, s);
        line[w] = kernel::morph(g, y, s.low, s.band, s.high);

        *outL = kernel::outputMix<kAccumulate>(g, kAccumulate ? *outL : 0.0f, xL, kernel::tapSum(g.left, t));
        *outR = kernel::outputMix<kAccumulate>(g, kAccumulate ? *outR : 0.0f, xR, kernel::tapSum(g.right, t));

        if (++w >= n)
            w = 0;
        inL += io.inStride;
        inR += io.inStride;
        outL += io.outStride;
        outR += io.outStride;
    }

    writeIndex = w;
    state = s;
}

inline Lanes load4(const float* p) noexcept
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Lanes v) noexcept { std::memcpy(p, &v, sizeof v); }

// Frames [0, m) of a stretch in which no tap read and no line write crosses the end of the line.
// Four frames at a time: with every delay at least kShortestStretch (or zero, the whole line),
// no frame reads a slot that a frame of its own group writes. Only the filter runs frame by
// frame; the processor overlaps it with the lane-wise work of the next group.
template <bool kAccumulate>
void stretch(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t w,
             const std::int32_t (&slot)[kNumTaps], FilterState& state, const Channels& io, std::uint32_t m) noexcept
{
    const float* tap[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i)
        tap[i] = line + slot[i];
    float* write = line + w;
    const Gains<Lanes> g(c);
    FilterState s = state;

    std::uint32_t j = 0;
    for (; j + 4 <= m; j += 4) {
        // All reads of the four frames come first: inputs and outputs may share buffers.
        const Lanes xl = load4(io.inL + j), xr = load4(io.inR + j);
        Lanes t[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i)
            t[i] = load4(tap[i] + j);
        const Lanes y = kernel::softClip(kernel::loopInput(g, xl, xr, t)) * g.outGain;

        Lanes lows, highs, bands;
        for (int k = 0; k < 4; ++k) {
            kernel::filterStep(y[k], c.f, c.damping, s);
            lows[k] = s.low;
            highs[k] = s.high;
            bands[k] = s.band;
        }
        store4(write + j, kernel::morph(g, y, lows, bands, highs));

        const Lanes oldL = kAccumulate ? load4(io.outL + j) : Lanes{};
        const Lanes oldR = kAccumulate ? load4(io.outR + j) : Lanes{};
        store4(io.outL + j, kernel::outputMix<kAccumulate>(g, oldL, xl, kernel::tapSum(g.left, t)));
        store4(io.outR + j, kernel::outputMix<kAccumulate>(g, oldR, xr, kernel::tapSum(g.right, t)));
    }
    state = s;

    if (j < m) {
        std::int32_t tail = w + static_cast<std::int32_t>(j);
        const Channels rest{io.inL + j, io.inR + j, io.outL + j, io.outR + j, 1, 1};
        frameLoop<kAccumulate>(c, line, n, tail, state, rest, m - j);
    }
}

inline std::uint32_t smaller(std::uint32_t a, std::uint32_t b) noexcept { return a < b ? a : b; }

template <bool kAccumulate>
void runFrames(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& writeIndex, FilterState& state,
               const Channels& io, std::uint32_t frames) noexcept
{
    bool shortDelay = false;
    for (int i = 0; i < kNumTaps; ++i)
        shortDelay = shortDelay || (c.delay[i] > 0 && c.delay[i] < kShortestStretch);
    if (shortDelay || io.inStride != 1 || io.outStride != 1 || frames < 4) {
        frameLoop<kAccumulate>(c, line, n, writeIndex, state, io, frames);
        return;
    }

    std::int32_t w = writeIndex;
    std::uint32_t done = 0;
    while (done < frames) {
        // A stretch ends where the write or any tap read reaches the end of the line.
        auto m = smaller(frames - done, static_cast<std::uint32_t>(n - w));
        std::int32_t slot[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i) {
            std::int32_t s = w + (n - c.delay[i]);
            if (s >= n)
                s -= n;
            slot[i] = s;
            m = smaller(m, static_cast<std::uint32_t>(n - s));
        }
        const Channels part{io.inL + done, io.inR + done, io.outL + done, io.outR + done, 1, 1};
        stretch<kAccumulate>(c, line, n, w, slot, state, part, m);
        done += m;
        w += static_cast<std::int32_t>(m);
        if (w >= n)
            w = 0;
    }
    writeIndex = w;
}

// Both callbacks' loops, chosen once per block.
inline void runFrames(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& writeIndex,
                      FilterState& state, const Channels& io, std::uint32_t frames, bool accumulate) noexcept
{
    if (accumulate)
        runFrames<true>(c, line, n, writeIndex, state, io, frames);
    else
        runFrames<false>(c, line, n, writeIndex, state, io, frames);
}

} // namespace
} // namespace frames
} // namespace quadecho
