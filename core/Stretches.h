// The frame loop's code: a block split into stretches that no tap read or line write takes across
// the line's end, each run four frames at a time or with the blocked filter, and frames one at a
// time where neither fits. Included by each file that builds it for a processor: every definition
// here has internal linkage, so no copy compiled for one instruction set is ever shared with
// another. Uses nothing from the standard library that the linker could merge either.
#pragma once

#include "Kernel.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quadecho {
namespace frames {
namespace {

using kernel::Gains;
using kernel::kWide;
using kernel::Lanes;
using kernel::splat;
using kernel::Wide;

// Delays shorter than this go frame by frame: groups of four frames need every delay at least
// four long, chunks of the blocked filter at least their own length, and below this the
// stretches would be too short to pay.
constexpr std::int32_t kShortestStretch = 16;
// The blocked filter's chunk where every delay allows it.
constexpr std::int32_t kLongChunk = 64;

// One frame at a time, for any stride and for tap delays too short for stretches.
template <bool kAccumulate>
void framesOneAtATime(const BlockCoefficients& c, DelayLine& delayLine, FilterState& state, const Channels& io,
                      std::uint32_t frames) noexcept
{
    const Gains<float> g(c);
    float* const line = delayLine.samples;
    const std::int32_t n = delayLine.length;
    std::int32_t w = delayLine.writeIndex;
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
        line[w] = kernel::morph(g.morph, y, s.low, s.band, s.high);

        *outL = kernel::outputMix<kAccumulate>(g, kAccumulate ? *outL : 0.0f, xL, kernel::tapSum(g.left, t));
        *outR = kernel::outputMix<kAccumulate>(g, kAccumulate ? *outR : 0.0f, xR, kernel::tapSum(g.right, t));

        if (++w >= n)
            w = 0;
        inL += io.inStride;
        inR += io.inStride;
        outL += io.outStride;
        outR += io.outStride;
    }

    delayLine.writeIndex = w;
    state = s;
}

// The line from frame j of a stretch on: where the frames a stretch leaves go one at a time.
inline DelayLine from(const DelayLine& line, std::uint32_t j) noexcept
{
    return {line.samples, line.length, line.writeIndex + static_cast<std::int32_t>(j), line.rate};
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
void stretchInFours(const BlockCoefficients& c, const DelayLine& line, const std::int32_t (&slot)[kNumTaps],
                    FilterState& state, const Channels& io, std::uint32_t m) noexcept
{
    const float* tap[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i)
        tap[i] = line.samples + slot[i];
    float* write = line.samples + line.writeIndex;
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
        store4(write + j, kernel::morph(g.morph, y, lows, bands, highs));

        const Lanes oldL = kAccumulate ? load4(io.outL + j) : Lanes{};
        const Lanes oldR = kAccumulate ? load4(io.outR + j) : Lanes{};
        store4(io.outL + j, kernel::outputMix<kAccumulate>(g, oldL, xl, kernel::tapSum(g.left, t)));
        store4(io.outR + j, kernel::outputMix<kAccumulate>(g, oldR, xr, kernel::tapSum(g.right, t)));
    }
    state = s;

    if (j < m) {
        DelayLine tail = from(line, j);
        const Channels rest{io.inL + j, io.inR + j, io.outL + j, io.outR + j, 1, 1};
        framesOneAtATime<kAccumulate>(c, tail, state, rest, m - j);
    }
}

inline Wide loadWide(const float* p) noexcept
{
    Wide v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void storeWide(float* p, Wide v) noexcept { std::memcpy(p, &v, sizeof v); }

// A stretch as above with the filter in its blocked form, in chunks of up to kChunk frames and
// two passes over each. The first forms every frame's filter input (taps, feedback, drive, clip)
// and its outputs, element by element; the second runs the filter eight frames at a time: the
// state at the start of a group and the group's eight inputs give every frame's morph output and
// the state at its end, so only the carried state runs from group to group, and nothing waits
// for it but the next group's and the line writes. Every tap reads at least a chunk back, so the first
// pass never reads what the second is about to write.
template <bool kAccumulate, std::uint32_t kChunk> struct BlockedStretch {
    // The shuffles in filter() are written for groups of two halves of one Lanes each.
    static_assert(kFilterBlock == 8 && kFilterHalf == 4 && sizeof(Lanes) == kFilterHalf * sizeof(float));
    static_assert(kChunk % kFilterBlock == 0 && kChunk % kWide == 0);

    const Gains<Wide> g;
    const FilterBlock& fb;
    const float* tap[kNumTaps];
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    float* write;
    Lanes fromLow, fromBand, powerLow, powerBand; // lanes: FilterBlock.h
    Lanes response[kFilterHalf];
    Lanes inputToLow[2], inputToBand[2]; // the group's first and second half
    alignas(32) float y[kChunk];

    BlockedStretch(const BlockCoefficients& c, const DelayLine& line, const std::int32_t (&slot)[kNumTaps],
                   const Channels& io) noexcept
        : g(c), fb(c.filter), inL(io.inL), inR(io.inR), outL(io.outL), outR(io.outR),
          write(line.samples + line.writeIndex), fromLow(load4(fb.fromLow)), fromBand(load4(fb.fromBand)),
          powerLow(load4(fb.powerFromLow)), powerBand(load4(fb.powerFromBand))
    {
        for (int i = 0; i < kNumTaps; ++i)
            tap[i] = line.samples + slot[i];
        for (int i = 0; i < kFilterHalf; ++i)
            response[i] = splat<Lanes>(fb.response[i]);
        for (int half = 0; half < 2; ++half) {
            inputToLow[half] = load4(fb.inputToLow + half * kFilterHalf);
            inputToBand[half] = load4(fb.inputToBand + half * kFilterHalf);
        }
    }

    // Frames [j, j + 8·groups), groups at most kChunk / 8. All reads of a frame come before its
    // writes: inputs and outputs may share buffers.
    // carried: the carried state (FilterBlock.h), kept by the caller so that it stays in a register.
    [[gnu::always_inline]] void chunk(std::uint32_t j, std::uint32_t groups, Lanes& carried) noexcept
    {
        const std::uint32_t length = groups * kFilterBlock;
        // Locals, so that the compiler keeps them in registers.
        const float* const xL = inL + j;
        const float* const xR = inR + j;
        float* const oL = outL + j;
        float* const oR = outR + j;
        const float* taps[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i)
            taps[i] = tap[i] + j;
        float* const ys = y;
        for (std::uint32_t h = 0; h < length; h += kWide) {
            const Wide xl = loadWide(xL + h), xr = loadWide(xR + h);
            Wide t[kNumTaps];
            for (int i = 0; i < kNumTaps; ++i)
                t[i] = loadWide(taps[i] + h);
            storeWide(ys + h, kernel::softClip(kernel::loopInput(g, xl, xr, t))); // the filter applies outGain
            const Wide oldL = kAccumulate ? loadWide(oL + h) : Wide{};
            const Wide oldR = kAccumulate ? loadWide(oR + h) : Wide{};
            storeWide(oL + h, kernel::outputMix<kAccumulate>(g, oldL, xl, kernel::tapSum(g.left, t)));
            storeWide(oR + h, kernel::outputMix<kAccumulate>(g, oldR, xr, kernel::tapSum(g.right, t)));
        }
        for (std::uint32_t group = 0; group < length; group += kFilterBlock)
            filter(y + group, write + j + group, carried);
    }

    // One group: what the inputs give first, with short chains of their own, and the carried
    // state's part last. Each half's response is a sum of the inputs moved up by 0 to 3 frames;
    // the four input sums come out of one transposition.
    [[gnu::always_inline]] void filter(const float* in, float* to, Lanes& carried) noexcept
    {
        const Lanes early = load4(in), late = load4(in + kFilterHalf), zero = {};
        const auto halfResponse = [&](Lanes v) {
            return (response[0] * v + response[1] * __builtin_shufflevector(v, zero, 4, 0, 1, 2)) +
                   (response[2] * __builtin_shufflevector(v, zero, 4, 5, 0, 1) +
                    response[3] * __builtin_shufflevector(v, zero, 4, 5, 6, 0));
        };
        Lanes first = halfResponse(early), second = halfResponse(late);
        // Lane i: what inputs i and i + 4 add to s_8, and input i to s_4 (A^(3−i)·B·g is the
        // second half's coefficient for s_8). Summed across lanes by a transposition.
        const Lanes low = inputToLow[0] * early + inputToLow[1] * late;
        const Lanes band = inputToBand[0] * early + inputToBand[1] * late;
        const Lanes low4 = inputToLow[1] * early, band4 = inputToBand[1] * early;
        const Lanes a = __builtin_shufflevector(low, band, 0, 4, 1, 5) + __builtin_shufflevector(low, band, 2, 6, 3, 7);
        const Lanes b =
            __builtin_shufflevector(low4, band4, 0, 4, 1, 5) + __builtin_shufflevector(low4, band4, 2, 6, 3, 7);
        const Lanes inputSums = __builtin_shufflevector(a, b, 0, 1, 4, 5) + __builtin_shufflevector(a, b, 2, 3, 6, 7);

        // The state at the group's start (lanes 0 and 1 of the carried state).
        const Lanes sl = splat<Lanes>(carried[0]), sb = splat<Lanes>(carried[1]);
        const Lanes start = __builtin_shufflevector(carried, carried, 0, 1, 0, 1);
        first = first + (fromLow * sl + fromBand * sb);
        // As a tree: the step powers' products side by side, then the rest.
        carried = (start + inputSums) + (powerLow * sl + powerBand * sb);
        second = second + (fromLow * splat<Lanes>(carried[2]) + fromBand * splat<Lanes>(carried[3]));
        store4(to, first);
        store4(to + 4, second);
    }

    // Frames [0, m): whole chunks, then whole groups, then the last few frames one at a time.
    void run(const BlockCoefficients& c, const DelayLine& line, FilterState& state, const Channels& io,
             std::uint32_t m) noexcept
    {
        Lanes carried = {state.low, state.band}; // lanes 2 and 3 are formed before they are read
        std::uint32_t j = 0;
        for (; m - j >= kChunk; j += kChunk)
            chunk(j, kChunk / kFilterBlock, carried);
        if (const std::uint32_t groups = (m - j) / kFilterBlock) {
            chunk(j, groups, carried);
            j += groups * kFilterBlock;
        }
        if (j > 0) {
            // The state as the recursion leaves it, the last frame's high included: that comes
            // from the state four frames before the end and the last half's inputs.
            const float* last = y + (j - kFilterHalf) % kChunk;
            float high = fb.highFromLow * carried[2] + fb.highFromBand * carried[3];
            for (int i = 0; i < kFilterHalf; ++i)
                high = high + fb.highResponse[kFilterHalf - 1 - i] * last[i];
            state.low = carried[0];
            state.band = carried[1];
            state.high = high;
        }
        DelayLine tail = from(line, j);
        const Channels rest{io.inL + j, io.inR + j, io.outL + j, io.outR + j, 1, 1};
        framesOneAtATime<kAccumulate>(c, tail, state, rest, m - j);
    }
};

// The longest chunk the shortest delay allows.
template <bool kAccumulate>
void blockedStretch(const BlockCoefficients& c, const DelayLine& line, const std::int32_t (&slot)[kNumTaps],
                    FilterState& state, const Channels& io, std::uint32_t m, std::int32_t shortestDelay) noexcept
{
    if (shortestDelay >= kLongChunk)
        BlockedStretch<kAccumulate, kLongChunk>(c, line, slot, io).run(c, line, state, io, m);
    else
        BlockedStretch<kAccumulate, kShortestStretch>(c, line, slot, io).run(c, line, state, io, m);
}

inline std::uint32_t smaller(std::uint32_t a, std::uint32_t b) noexcept { return a < b ? a : b; }

template <bool kAccumulate>
void runStretches(const BlockCoefficients& c, DelayLine& delayLine, FilterState& state, const Channels& io,
                  std::uint32_t frames) noexcept
{
    const std::int32_t n = delayLine.length;
    const std::int32_t shortest = std::min(c.shortestRead, n);
    const bool shortDelay = shortest < kShortestStretch;
    if (shortDelay || ((io.inStride ^ 1) | (io.outStride ^ 1)) != 0 || frames < 4) {
        framesOneAtATime<kAccumulate>(c, delayLine, state, io, frames);
        return;
    }

    std::uint32_t done = 0;
    while (done < frames) {
        const std::int32_t w = delayLine.writeIndex;
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
            blockedStretch<kAccumulate>(c, delayLine, slot, state, part, m, shortest);
        else
            stretchInFours<kAccumulate>(c, delayLine, slot, state, part, m);
        done += m;
        const std::int32_t next = w + static_cast<std::int32_t>(m);
        delayLine.writeIndex = next >= n ? 0 : next;
    }
}

// Both callbacks' loops, chosen once per block: what each build of the frame loop compiles.
inline void runBlock(const BlockCoefficients& c, DelayLine& line, FilterState& state, const AudioBlock& block) noexcept
{
    if (block.accumulate)
        runStretches<true>(c, line, state, block.io, block.frames);
    else
        runStretches<false>(c, line, state, block.io, block.frames);
}

} // namespace
} // namespace frames
} // namespace quadecho
