#include "Coefficients.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// Through, low, band, high, through: neighbours crossfade, values outside 0..4 extrapolate.
MorphWeights<float> morphWeights(float type) noexcept
{
    if (!(type >= 1.0f))
        return {1.0f - type, type, 0.0f, 0.0f};
    if (!(type >= 2.0f))
        return {0.0f, 2.0f - type, type - 1.0f, 0.0f};
    if (!(type >= 3.0f))
        return {0.0f, 0.0f, 3.0f - type, type - 2.0f};
    return {type - 3.0f, 0.0f, 0.0f, 4.0f - type};
}

// Bit for bit, so that a not-a-number value compares equal to itself.
template <class T> bool sameBits(const T& a, const T& b) noexcept { return std::memcmp(&a, &b, sizeof a) == 0; }

// The same for the block's values, inline and without a call: every block asks it.
bool sameValues(const float (&a)[kNumParams], const float (&b)[kNumParams]) noexcept
{
    std::uint32_t differ = 0;
    for (int i = 0; i < kNumParams; ++i) {
        std::uint32_t x, y;
        std::memcpy(&x, &a[i], sizeof x);
        std::memcpy(&y, &b[i], sizeof y);
        differ |= x ^ y;
    }
    return differ == 0;
}

// Without a branch per value: the exponent bits all set mean infinite or not a number.
bool allFinite(const float (&values)[kNumParams]) noexcept
{
    std::uint32_t special = 0;
    for (int i = 0; i < kNumParams; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        special |= static_cast<std::uint32_t>((bits & 0x7f800000u) == 0x7f800000u);
    }
    return special == 0;
}

constexpr float kPerMillisecond = 0.001f;
constexpr float kPerPercentSquared = 0.0001f; // master % × tap %: 100 % of 100 % is a gain of 1
constexpr float kDrivePerStep = 1.3636364f;   // 15/11: saturation 0..11 drives 1..16
constexpr float kLeastOutGain = 0.125f;       // compensates drive up to 8

} // namespace

float sweepHz(float sweep) noexcept
{
    const float exponent = 7.0f * sweep; // formed in single precision, raised in double
    return static_cast<float>(62.5 * std::pow(2.0, static_cast<double>(exponent)) - 62.5);
}

const BlockCoefficients& CoefficientUpdater::update(const float (&values)[kNumParams], float sampleRate,
                                                    std::int32_t lineLength, KnownValues known) noexcept
{
    // Most blocks find the values of the block before: their coefficients are reused as they are.
    if (valid && lastRate == sampleRate && lastLength == lineLength &&
        (known == KnownValues::SameAsLastBlock || sameValues(lastValues, values)))
        return c;
    std::memcpy(lastValues, values, sizeof lastValues); // as read, before the policy below
    if (policy == HostValues::AsGiven && allFinite(values)) {
        form(values, sampleRate, lineLength);
    } else {
        float held[kNumParams];
        for (int i = 0; i < kNumParams; ++i)
            held[i] = hostValue(policy, kParameters[i], values[i]);
        form(held, sampleRate, lineLength);
    }
    lastRate = sampleRate;
    lastLength = lineLength;
    valid = true;
    return c;
}

void CoefficientUpdater::form(const float (&values)[kNumParams], float sampleRate, std::int32_t lineLength) noexcept
{
    const bool fresh = !valid;
    const float fs = sampleRate;
    const float samplesPerMs = fs * kPerMillisecond;
    const float fbScale = values[kMasterFeedback] * kPerPercentSquared;

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
    const float sweep = values[kFilterSweep];

    // Each transcendental function runs only when its own inputs change: an automated cutoff
    // costs one sine.
    Transcendentals& t = memo;
    if (fresh || t.sweep != sweep) {
        t.sweep = sweep;
        t.sweepHz = quadecho::sweepHz(sweep);
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
    const float f = static_cast<float>(std::min(t.sine, kMostFrequencyCoefficient));
    const double fWide = static_cast<double>(f);
    const auto damping = static_cast<float>(std::min(std::min(t.qDamping, 2.0 / fWide - fWide / 2.0), 2.0));
    const MorphWeights<float> morph = morphWeights(values[kFilterType]);

    const float drive = 1.0f + values[kSaturation] * kDrivePerStep;
    const float outGain = std::max(1.0f / drive, kLeastOutGain);

    if (fresh || !sameBits(c.f, f) || !sameBits(c.damping, damping) || !sameBits(c.morph, morph) ||
        !sameBits(c.outGain, outGain))
        formFilterBlock(c.filter, f, damping, morph, outGain);
    c.f = f;
    c.damping = damping;
    c.morph = morph;
    c.drive = drive;
    c.outGain = outGain;
    formLoopGains(c, lineLength);
}

void formLoopGains(BlockCoefficients& c, std::int32_t lineLength) noexcept
{
    c.shortestRead = lineLength;
    for (int i = 0; i < kNumTaps; ++i) {
        c.drivenFeedback[i] = c.feedback[i] * c.drive;
        c.wetLeft[i] = c.left[i] * c.wet;
        c.wetRight[i] = c.right[i] * c.wet;
        if (c.delay[i] > 0 && c.delay[i] < c.shortestRead)
            c.shortestRead = c.delay[i];
    }
    c.halfDrive = 0.5f * c.drive;
}

BlockCoefficients computeCoefficients(const float (&values)[kNumParams], float sampleRate,
                                      std::int32_t lineLength) noexcept
{
    CoefficientUpdater updater;
    return updater.update(values, sampleRate, lineLength);
}

} // namespace quadecho
