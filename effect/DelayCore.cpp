#include "DelayCore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quadecho {

namespace {

// Truncates time × samples-per-millisecond, kept inside the line: a read never leaves it,
// whatever the rate, the stored value or a value from outside the table's range.
std::int32_t delayInSamples(float milliseconds, float samplesPerMs, std::int32_t lineLength)
{
    const float samples = milliseconds * samplesPerMs;
    if (!(samples >= 0.0f))
        return 0; // negative and not-a-number
    if (samples >= static_cast<float>(lineLength))
        return lineLength;
    return static_cast<std::int32_t>(samples);
}

} // namespace

BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept
{
    BlockCoefficients c{};
    const float fs = sampleRate;
    const float samplesPerMs = fs * 0.001f;
    const float fbScale = values[22] * 0.0001f;

    for (int i = 0; i < kNumTaps; ++i) {
        const float time = values[4 * i];
        const float pan = values[4 * i + 1];
        const float feedback = values[4 * i + 2];
        const float level = values[4 * i + 3];
        c.delay[i] = delayInSamples(time, samplesPerMs, lineLength);
        c.feedback[i] = fbScale * feedback;
        const float p = (pan + 1.0f) * 0.5f;
        c.right[i] = p * level;
        c.left[i] = level * (1.0f - p);
    }

    const float mix = values[16];
    c.dry = std::min(1.0f, 2.0f - 2.0f * mix);
    c.wet = std::min(1.0f, 2.0f * mix);

    const float cutoff = values[17];
    const float q = values[18];
    const float type = values[19];
    const float sweep = values[20];
    const float saturation = values[21];

    const float sweepExponent = 7.0f * sweep;
    const float sweepHz = static_cast<float>(62.5 * std::pow(2.0, static_cast<double>(sweepExponent)) - 62.5);
    // Above half the rate the sine turns back and then negative, and the filter would diverge.
    const float effectiveCutoff = std::min(cutoff + sweepHz, fs * 0.5f);

    constexpr double kPi = 3.14159265358979323846;
    const double f = std::min(2.0 * std::sin(kPi * static_cast<double>(effectiveCutoff) / static_cast<double>(fs)), 0.25);
    c.f = static_cast<float>(f);
    const double fWide = static_cast<double>(c.f);
    const double damping =
        std::min(std::min(2.0 * (1.0 - std::pow(static_cast<double>(q), 0.25)), 2.0 / fWide - fWide / 2.0), 2.0);
    c.damping = static_cast<float>(damping);

    // Through, low, band, high, through: neighbours crossfade, values outside 0..4 extrapolate.
    if (!(type >= 1.0f)) {
        c.wThru = 1.0f - type;
        c.wLow = type;
    } else if (!(type >= 2.0f)) {
        c.wLow = 2.0f - type;
        c.wBand = type - 1.0f;
    } else if (!(type >= 3.0f)) {
        c.wBand = 3.0f - type;
        c.wHigh = type - 2.0f;
    } else {
        c.wThru = type - 3.0f;
        c.wHigh = 4.0f - type;
    }

    constexpr float kDrivePerStep = 1.3636364f; // 15/11
    c.drive = 1.0f + saturation * kDrivePerStep;
    c.outGain = std::max(1.0f / c.drive, 0.125f);
    return c;
}

namespace {

constexpr float fYLim = 1.0f;
constexpr float fBeta = 0.148148149f; // 4/27: the cubic meets ±fYLim with zero slope at ±1.5

inline float softClip(float v)
{
    // Two selects rather than branches, so that a pass over many frames vectorises; a value
    // that is not a number compares false both times and gives -fYLim.
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

inline void store4(float* p, Lanes v)
{
    std::memcpy(p, &v, sizeof v);
}

inline Lanes splat(float x)
{
    return Lanes{x, x, x, x};
}

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

} // namespace

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

    std::int32_t w = writeIndex;
    std::uint32_t done = 0;
    while (done < frames) {
        // A stretch ends where the write or any tap read reaches the end of the line.
        auto m = std::min<std::uint32_t>(frames - done, static_cast<std::uint32_t>(n - w));
        std::int32_t slot[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i) {
            std::int32_t s = w + (n - c.delay[i]);
            if (s >= n)
                s -= n;
            slot[i] = s;
            m = std::min<std::uint32_t>(m, static_cast<std::uint32_t>(n - s));
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

} // namespace quadecho
