#include "DelayCore.h"
#include "DelayFrames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifndef QUADECHO_ARCH_X86
#error "the processor macros come from cmake/Arch.cmake through quadecho_flags"
#endif

namespace quadecho {

namespace {

// Truncates time × samples-per-millisecond, kept inside the line: a read never leaves it,
// whatever the rate, the stored value or a value from outside the table's range.
std::int32_t delayInSamples(float milliseconds, float samplesPerMs, std::int32_t lineLength) noexcept
{
    const float samples = milliseconds * samplesPerMs;
    if (!(samples >= 0.0f))
        return 0; // negative and not-a-number
    if (samples >= static_cast<float>(lineLength))
        return lineLength;
    return static_cast<std::int32_t>(samples);
}

} // namespace

void updateCoefficients(BlockCoefficients& c, const float (&values)[kNumParams], float sampleRate,
                        std::int32_t lineLength, bool fresh) noexcept
{
    const float fs = sampleRate;
    const float samplesPerMs = fs * 0.001f;
    const float fbScale = values[kMasterFeedback] * 0.0001f;

    for (int i = 0; i < kNumTaps; ++i) {
        const float time = values[tapParam(i, TapParam::Time)];
        const float pan = values[tapParam(i, TapParam::Pan)];
        const float feedback = values[tapParam(i, TapParam::Feedback)];
        const float level = values[tapParam(i, TapParam::Level)];
        c.delay[i] = delayInSamples(time, samplesPerMs, lineLength);
        c.feedback[i] = fbScale * feedback;
        const float p = (pan + 1.0f) * 0.5f;
        c.right[i] = p * level;
        c.left[i] = level * (1.0f - p);
    }

    const float mix = values[kWetDryMix];
    c.dry = std::min(1.0f, 2.0f - 2.0f * mix);
    c.wet = std::min(1.0f, 2.0f * mix);

    const float cutoff = values[kFilterCutoff];
    const float q = values[kFilterQ];
    const float type = values[kFilterType];
    const float sweep = values[kFilterSweep];
    const float saturation = values[kSaturation];

    // Each transcendental function runs only when its own inputs change: an automated cutoff
    // costs one sine.
    Transcendentals& t = c.transcendentals;
    if (fresh || t.sweep != sweep) {
        const float sweepExponent = 7.0f * sweep;
        t.sweep = sweep;
        t.sweepHz = static_cast<float>(62.5 * std::pow(2.0, static_cast<double>(sweepExponent)) - 62.5);
    }
    // Above half the rate the sine turns back and then negative, and the filter would diverge.
    const float effectiveCutoff = std::min(cutoff + t.sweepHz, fs * 0.5f);
    if (fresh || t.cutoff != effectiveCutoff || t.rate != fs) {
        constexpr double kPi = 3.14159265358979323846;
        t.cutoff = effectiveCutoff;
        t.rate = fs;
        t.sine = 2.0 * std::sin(kPi * static_cast<double>(effectiveCutoff) / static_cast<double>(fs));
    }
    if (fresh || t.q != q) {
        t.q = q;
        t.qDamping = 2.0 * (1.0 - std::pow(static_cast<double>(q), 0.25));
    }
    const float f = static_cast<float>(std::min(t.sine, 0.25));
    const double fWide = static_cast<double>(f);
    const auto damping = static_cast<float>(std::min(std::min(t.qDamping, 2.0 / fWide - fWide / 2.0), 2.0));

    // Through, low, band, high, through: neighbours crossfade, values outside 0..4 extrapolate.
    float wThru = 0.0f, wLow = 0.0f, wBand = 0.0f, wHigh = 0.0f;
    if (!(type >= 1.0f)) {
        wThru = 1.0f - type;
        wLow = type;
    } else if (!(type >= 2.0f)) {
        wLow = 2.0f - type;
        wBand = type - 1.0f;
    } else if (!(type >= 3.0f)) {
        wBand = 3.0f - type;
        wHigh = type - 2.0f;
    } else {
        wThru = type - 3.0f;
        wHigh = 4.0f - type;
    }

    constexpr float kDrivePerStep = 1.3636364f; // 15/11
    c.drive = 1.0f + saturation * kDrivePerStep;
    c.outGain = std::max(1.0f / c.drive, 0.125f);

    const auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    if (fresh || !same(c.f, f) || !same(c.damping, damping) || !same(c.wThru, wThru) || !same(c.wLow, wLow) ||
        !same(c.wBand, wBand) || !same(c.wHigh, wHigh) || !same(c.filter.outGain, c.outGain))
        formFilterBlock(c.filter, f, damping, wThru, wLow, wBand, wHigh, c.outGain);
    c.f = f;
    c.damping = damping;
    c.wThru = wThru;
    c.wLow = wLow;
    c.wBand = wBand;
    c.wHigh = wHigh;
}

BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept
{
    BlockCoefficients c{};
    updateCoefficients(c, values, sampleRate, lineLength, true);
    return c;
}

#if QUADECHO_ARCH_X86
// Built in DelayFramesWide.cpp for processors with AVX2 and fused multiply-add.
void runFramesWide(const BlockCoefficients& c, float* line, std::int32_t lineLength, std::int32_t& writeIndex,
                   FilterState& state, const Channels& io, std::uint32_t frames, bool accumulate) noexcept;

namespace {

// Asked once, when the module is loaded: never on the audio thread.
bool detectWide() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

const bool kWideAvailable = detectWide();

} // namespace

bool canRun(FrameLoop loop) noexcept { return loop == FrameLoop::Portable || kWideAvailable; }
#else
bool canRun(FrameLoop loop) noexcept { return loop == FrameLoop::Portable; }
#endif

FrameLoop bestFrameLoop() noexcept { return canRun(FrameLoop::Wide) ? FrameLoop::Wide : FrameLoop::Portable; }

void runFrames(FrameLoop loop, const BlockCoefficients& c, float* line, std::int32_t lineLength,
               std::int32_t& writeIndex, FilterState& state, const Channels& io, std::uint32_t frames,
               bool accumulate) noexcept
{
#if QUADECHO_ARCH_X86
    if (loop == FrameLoop::Wide && kWideAvailable) {
        runFramesWide(c, line, lineLength, writeIndex, state, io, frames, accumulate);
        return;
    }
#else
    (void)loop;
#endif
    frames::runFrames(c, line, lineLength, writeIndex, state, io, frames, accumulate);
}

} // namespace quadecho
