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
using kernel::Lanes8;
using kernel::splat;

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

inline Lanes8 load8(const float* p) noexcept
{
    Lanes8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store8(float* p, Lanes8 v) noexcept { std::memcpy(p, &v, sizeof v); }

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

// The widest vector of the instruction set this copy is compiled for: a group's frames go
// through the element-wise parts in one of these (AVX) or two (SSE2).
#if defined(__AVX__)
using Wide = Lanes8;
inline Wide loadWide(const float* p) noexcept { return load8(p); }
inline void storeWide(float* p, Wide v) noexcept { store8(p, v); }
#else
using Wide = Lanes;
inline Wide loadWide(const float* p) noexcept { return load4(p); }
inline void storeWide(float* p, Wide v) noexcept { store4(p, v); }
#endif
constexpr int kWide = sizeof(Wide) / sizeof(float);

// A stretch as above, eight frames at a time with the filter in its blocked form: the state at
// the start of a group and the group's eight inputs give every frame's morph output and the state
// at its end. Only that carry runs from group to group. Delays of at least kShortestStretch keep
// every tap read of a group before the group's own writes.
template <bool kAccumulate>
void blockedStretch(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t w,
                    const std::int32_t (&slot)[kNumTaps], FilterState& state, const Channels& io,
                    std::uint32_t m) noexcept
{
    static_assert(kFilterBlock == 8 && kShortestStretch >= kFilterBlock && kFilterBlock % kWide == 0);
    const float* tap[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i)
        tap[i] = line + slot[i];
    float* write = line + w;
    const Gains<Wide> g(c);
    const FilterBlock& fb = c.filter;
    const Lanes fromLow = load4(fb.fromLow), fromBand = load4(fb.fromBand);
    const Lanes lowHi = load4(fb.carryFromLowHi), lowLo = load4(fb.carryFromLowLo);
    const Lanes bandHi = load4(fb.carryFromBandHi), bandLo = load4(fb.carryFromBandLo);
    // (low, band) at the group's start, then (low, band) four frames on.
    Lanes u = {state.low, state.band, 0.0f, 0.0f};

    std::uint32_t j = 0;
    Wide y[kFilterBlock / kWide] = {};
    for (; j + kFilterBlock <= m; j += kFilterBlock) {
        // Everything but the filter, element by element. All reads of a frame come before its
        // writes: inputs and outputs may share buffers.
        for (std::uint32_t h = j; h < j + kFilterBlock; h += kWide) {
            const Wide xl = loadWide(io.inL + h), xr = loadWide(io.inR + h);
            Wide t[kNumTaps];
            for (int i = 0; i < kNumTaps; ++i)
                t[i] = loadWide(tap[i] + h);
            y[(h - j) / kWide] = kernel::softClip(kernel::loopInput(g, xl, xr, t)) * g.outGain;
            const Wide oldL = kAccumulate ? loadWide(io.outL + h) : Wide{};
            const Wide oldR = kAccumulate ? loadWide(io.outR + h) : Wide{};
            storeWide(io.outL + h, kernel::outputMix<kAccumulate>(g, oldL, xl, kernel::tapSum(g.left, t)));
            storeWide(io.outR + h, kernel::outputMix<kAccumulate>(g, oldR, xr, kernel::tapSum(g.right, t)));
        }

        // What the inputs give first, the state's part last: only that part waits for the carry.
        // Sums in pairs: a group's inputs are ready long before the carry needs them only if
        // their own chains are short.
        Lanes in[kFilterBlock], gained[kFilterBlock];
        for (int i = 0; i < kFilterBlock; ++i) {
            in[i] = splat<Lanes>(y[i / kWide][i % kWide]);
            gained[i] = in[i] * load4(fb.gain[i]);
        }
        const auto response = [&](int h) {
            const Lanes a = in[h] * load4(fb.fromInput + 3) + in[h + 1] * load4(fb.fromInput + 2);
            const Lanes b = in[h + 2] * load4(fb.fromInput + 1) + in[h + 3] * load4(fb.fromInput);
            return a + b;
        };
        Lanes first = response(0), second = response(kFilterHalf);
        Lanes carry =
            ((gained[0] + gained[1]) + (gained[2] + gained[3])) + ((gained[4] + gained[5]) + (gained[6] + gained[7]));
        const Lanes sl = splat<Lanes>(u[0]), sb = splat<Lanes>(u[1]);
        const Lanes start = __builtin_shufflevector(u, u, 0, 1, 0, 1);
        carry = carry + (lowLo * sl + bandLo * sb);
        first = first + (fromLow * sl + fromBand * sb);
        u = start + ((lowHi * sl + bandHi * sb) + carry);
        second = second + (fromLow * splat<Lanes>(u[2]) + fromBand * splat<Lanes>(u[3]));
        store4(write + j, first);
        store4(write + j + 4, second);
    }
    if (j > 0) {
        // high is no part of the carried state: the last frame's, as the recursion leaves it.
        state.low = u[0];
        state.band = u[1];
        state.high = (y[kFilterBlock / kWide - 1][kWide - 1] - u[0] - c.damping * u[1]) * fb.highFromLast;
    }

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
    // A delay of 0 reads the whole line back: a line shorter than a group needs the frame loop.
    bool shortDelay = false;
    for (int i = 0; i < kNumTaps; ++i)
        shortDelay = shortDelay || (c.delay[i] > 0 ? c.delay[i] : n) < kShortestStretch;
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
        if (kBlockedFilterBuilt && c.filter.enabled)
            blockedStretch<kAccumulate>(c, line, n, w, slot, state, part, m);
        else
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
