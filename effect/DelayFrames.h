// The per-frame work, included by each file that builds it for a processor: every definition
// here has internal linkage, so no copy compiled for one instruction set is ever shared with
// another. Uses nothing from the standard library that the linker could merge either.
#pragma once

#include "DelayCore.h"

#include <cstdint>
#include <cstring>

namespace quadecho {
namespace frames {
namespace {

constexpr float fYLim = 1.0f;
constexpr float fBeta = 0.148148149f; // 4/27: the cubic meets ±fYLim with zero slope at ±1.5

inline float softClip(float v)
{
    // A value that is not a number compares false both times and gives -fYLim, as in the
    // four-lane form below.
    const float cubic = v - ((fBeta * v) * v) * v;
    const float lower = v >= -1.5f ? cubic : -fYLim;
    return v > 1.5f ? fYLim : lower;
}

// Delays shorter than this go frame by frame: groups of four frames need every delay at least
// four long, and below this the stretches would be too short to pay.
constexpr std::int32_t kShortestStretch = 16;

// One frame at a time, for any stride and for tap delays too short for stretches.
void frameLoop(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& writeIndex, FilterState& state,
               const Channels& io, std::uint32_t frames, bool accumulate)
{
    std::int32_t w = writeIndex;
    float low = state.low, high = state.high, band = state.band;
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

        float v = (xL + xR) * 0.5f;
        for (int i = 0; i < kNumTaps; ++i)
            v = v + c.feedback[i] * t[i];
        const float y = softClip(v * c.drive) * c.outGain;

        low = low + c.f * band;
        high = (y - low) - band * c.damping;
        band = band + c.f * high;
        line[w] = c.wThru * y + c.wLow * low + c.wBand * band + c.wHigh * high;

        float sumL = c.left[0] * t[0];
        float sumR = c.right[0] * t[0];
        for (int i = 1; i < kNumTaps; ++i) {
            sumL = sumL + c.left[i] * t[i];
            sumR = sumR + c.right[i] * t[i];
        }
        if (accumulate) {
            *outL = (*outL + c.dry * xL) + c.wet * sumL;
            *outR = (*outR + c.dry * xR) + c.wet * sumR;
        } else {
            *outL = c.dry * xL + c.wet * sumL;
            *outR = c.dry * xR + c.wet * sumR;
        }

        if (++w >= n)
            w = 0;
        inL += io.inStride;
        inR += io.inStride;
        outL += io.outStride;
        outR += io.outStride;
    }

    writeIndex = w;
    state = {low, high, band};
}

// Four frames side by side. The vector type is the compiler's own: SSE2 on x86, AltiVec or plain
// scalar code elsewhere, with exactly the arithmetic of one frame in every lane.
typedef float Lanes __attribute__((vector_size(16)));

inline Lanes load4(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Lanes v) { std::memcpy(p, &v, sizeof v); }

inline Lanes splat(float x) { return Lanes{x, x, x, x}; }

// Frames [0, m) of a stretch in which no tap read and no line write crosses the end of the line.
// Four frames at a time: with every delay at least kShortestStretch (or zero, the whole line),
// no frame reads a slot that a frame of its own group writes. Only the filter runs frame by
// frame; the processor overlaps it with the lane-wise work of the next group.
void stretch(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t w,
             const std::int32_t (&slot)[kNumTaps], FilterState& state, const Channels& io, std::uint32_t m,
             bool accumulate)
{
    const float* t0 = line + slot[0];
    const float* t1 = line + slot[1];
    const float* t2 = line + slot[2];
    const float* t3 = line + slot[3];
    float* write = line + w;

    const Lanes g0 = splat(c.feedback[0]), g1 = splat(c.feedback[1]), g2 = splat(c.feedback[2]),
                g3 = splat(c.feedback[3]);
    const Lanes l0 = splat(c.left[0]), l1 = splat(c.left[1]), l2 = splat(c.left[2]), l3 = splat(c.left[3]);
    const Lanes r0 = splat(c.right[0]), r1 = splat(c.right[1]), r2 = splat(c.right[2]), r3 = splat(c.right[3]);
    const Lanes half = splat(0.5f), drive = splat(c.drive), outGain = splat(c.outGain), beta = splat(fBeta);
    const Lanes knee = splat(1.5f), minusKnee = splat(-1.5f), limit = splat(fYLim), minusLimit = splat(-fYLim);
    const Lanes wThru = splat(c.wThru), wLow = splat(c.wLow), wBand = splat(c.wBand), wHigh = splat(c.wHigh);
    const Lanes dry = splat(c.dry), wet = splat(c.wet);
    const float f = c.f, damping = c.damping;
    float low = state.low, high = state.high, band = state.band;

    std::uint32_t j = 0;
    for (; j + 4 <= m; j += 4) {
        // All reads of the four frames come first: inputs and outputs may share buffers.
        const Lanes xl = load4(io.inL + j), xr = load4(io.inR + j);
        const Lanes a = load4(t0 + j), b = load4(t1 + j), d = load4(t2 + j), e = load4(t3 + j);
        Lanes v = (xl + xr) * half;
        v = v + g0 * a;
        v = v + g1 * b;
        v = v + g2 * d;
        v = v + g3 * e;
        v = v * drive;
        const Lanes cubic = v - ((beta * v) * v) * v;
        const Lanes lower = v >= minusKnee ? cubic : minusLimit; // not a number: -fYLim
        const Lanes y = (v > knee ? limit : lower) * outGain;

        // The one recurrence: each frame's filter state needs the previous frame's.
        Lanes lows, highs, bands;
        for (int k = 0; k < 4; ++k) {
            low = low + f * band;
            high = (y[k] - low) - band * damping;
            band = band + f * high;
            lows[k] = low;
            highs[k] = high;
            bands[k] = band;
        }
        store4(write + j, ((wThru * y + wLow * lows) + wBand * bands) + wHigh * highs);

        const Lanes sumL = ((l0 * a + l1 * b) + l2 * d) + l3 * e;
        const Lanes sumR = ((r0 * a + r1 * b) + r2 * d) + r3 * e;
        if (accumulate) {
            store4(io.outL + j, (load4(io.outL + j) + dry * xl) + wet * sumL);
            store4(io.outR + j, (load4(io.outR + j) + dry * xr) + wet * sumR);
        } else {
            store4(io.outL + j, dry * xl + wet * sumL);
            store4(io.outR + j, dry * xr + wet * sumR);
        }
    }
    state = {low, high, band};

    if (j < m) {
        std::int32_t tail = w + static_cast<std::int32_t>(j);
        const Channels rest{io.inL + j, io.inR + j, io.outL + j, io.outR + j, 1, 1};
        frameLoop(c, line, n, tail, state, rest, m - j, accumulate);
    }
}

inline std::uint32_t smaller(std::uint32_t a, std::uint32_t b) { return a < b ? a : b; }

void runFrames(const BlockCoefficients& c, float* line, std::int32_t lineLength, std::int32_t& writeIndex,
               FilterState& state, const Channels& io, std::uint32_t frames, bool accumulate) noexcept
{
    const std::int32_t n = lineLength;
    bool shortDelay = false;
    for (int i = 0; i < kNumTaps; ++i)
        shortDelay = shortDelay || (c.delay[i] > 0 && c.delay[i] < kShortestStretch);
    if (shortDelay || io.inStride != 1 || io.outStride != 1) {
        frameLoop(c, line, n, writeIndex, state, io, frames, accumulate);
        return;
    }

    if (frames < 4) {
        frameLoop(c, line, n, writeIndex, state, io, frames, accumulate);
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
        stretch(c, line, n, w, slot, state, part, m, accumulate);
        done += m;
        w += static_cast<std::int32_t>(m);
        if (w >= n)
            w = 0;
    }
    writeIndex = w;
}

} // namespace
} // namespace frames
} // namespace quadecho
