// Number-to-text conversions for parameter displays. Every result is cut to the caller's limit and
// the rest of the buffer, up to and including text[maxLen], is cleared; nothing beyond it is touched.
#include "AudioEffect.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr char kHuge[] = "Huge!";
constexpr char kMinusInfinity[] = "-oo";
constexpr char kNotANumber[] = "NaN";

// A negative limit leaves no byte the caller allowed us to write.
void writeBounded(char* text, VstInt32 maxLen, const char* full, std::size_t length)
{
    if (maxLen < 0)
        return;
    const std::size_t limit = static_cast<std::size_t>(maxLen);
    std::size_t i = 0;
    for (; i < length && i < limit; ++i)
        text[i] = full[i];
    for (; i <= limit; ++i)
        text[i] = 0;
}

template <std::size_t N> void writeBounded(char* text, VstInt32 maxLen, const char (&full)[N])
{
    writeBounded(text, maxLen, full, N - 1);
}

char digitOf(double x) { return static_cast<char>('0' + static_cast<int>(std::fmod(x, 10.0))); }

} // namespace

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    if (value > 0.0f)
        float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
    else
        writeBounded(text, maxLen, kMinusInfinity);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    const float rate = getSampleRate();
    if (samples == 0.0f)
        float2string(0.0f, text, maxLen);
    else
        float2string(rate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    const float rate = getSampleRate();
    float2string(static_cast<float>(static_cast<double>(samples) * 1000.0 / static_cast<double>(rate)), text, maxLen);
}

// Eight characters: sign, integer digits, point, then as many truncated fraction digits as fit.
void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    double v = value;
    if (std::isnan(v)) {
        writeBounded(text, maxLen, kNotANumber);
        return;
    }
    const bool negative = v < 0.0;
    if (negative)
        v = -v;
    if (v > (negative ? 9999999.0 : 99999999.0)) {
        writeBounded(text, maxLen, kHuge);
        return;
    }

    int count = negative ? 3 : 2;
    char integer[16]; // integer digits, units first
    int digits = 0;
    const double n = std::floor(v);
    integer[digits++] = digitOf(n);
    double x = n * 0.1;
    while (x >= 1.0 && count <= 7) {
        integer[digits++] = digitOf(x);
        x = x * 0.1;
        ++count;
    }
    // An integer part one digit too long for the point still fits the eight characters on its
    // own: show all its digits rather than drop the leading one.
    const bool integerOnly = x >= 1.0;
    while (x >= 1.0) {
        integer[digits++] = digitOf(x);
        x = x * 0.1;
    }

    char full[24];
    std::size_t length = 0;
    if (negative)
        full[length++] = '-';
    while (digits > 0)
        full[length++] = integer[--digits];
    if (integerOnly) {
        writeBounded(text, maxLen, full, length);
        return;
    }
    full[length++] = '.';

    if (count < 8) {
        const int k = 8 - count;
        double m = std::fmod(v, 1.0) * std::pow(10.0, k);
        for (int i = k - 1; i >= 0; --i) {
            full[length + static_cast<std::size_t>(i)] = digitOf(m); // '0' once m falls below 1
            m = 0.1 * m;
        }
        length += static_cast<std::size_t>(k);
    }
    writeBounded(text, maxLen, full, length);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    // Nine place values cover magnitudes below 10^9; anything further down is as unprintable in
    // this form as the large positives, and negating the lowest integer would overflow.
    if (value > 99999999 || value < -999999999) {
        writeBounded(text, maxLen, kHuge);
        return;
    }

    char full[16];
    std::size_t length = 0;
    VstInt32 magnitude = value;
    if (value < 0) {
        full[length++] = '-';
        magnitude = -value;
    }
    bool started = false;
    for (VstInt32 place = 100000000; place > 0; place /= 10) {
        const VstInt32 digit = magnitude / place;
        magnitude -= digit * place;
        if (digit != 0)
            started = true;
        if (started)
            full[length++] = static_cast<char>('0' + digit);
    }
    if (!started)
        full[length++] = '0';
    writeBounded(text, maxLen, full, length);
}
