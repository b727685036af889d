#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Called through the virtual table, as a host's call would go; a null one is int2string.
using Conversion = void (AudioEffect::*)(float, char*, VstInt32);
constexpr Conversion Db = &AudioEffect::dB2string, Hz = &AudioEffect::Hz2string, Ms = &AudioEffect::ms2string,
                     Float = &AudioEffect::float2string, Int = nullptr;

struct Case {
    Conversion op;
    double input;
    const char* text; // the whole text, of which a limit keeps the first characters
    float sampleRate = 44100.0f;
};

// One row per branch (Hz of 0 samples shows float2string's 0). Float: integer parts one digit
// longer than the point leaves room for show all digits, no point. Int: below the reach of nine
// place values is as unprintable as the large positives.
// clang-format off
const Case kCases[] = {
    {Float, -1.5, "-1.50000"},       {Float, 123.25, "123.2500"},    {Float, 10, "10.00000"},
    {Float, 1234567, "1234567."},    {Float, 0.1, "0.100000"},       {Float, 1.9999999, "1.999999"},
    {Float, -999999, "-999999."},    {Float, 100000000, "Huge!"},    {Float, -10000000, "Huge!"},
    {Float, 10000000, "10000000"},   {Float, -9999999, "-9999999"},  {Float, NAN, "NaN"},
    {Db, 0.5, "-6.02059"},           {Db, 0, "-oo"},                 {Hz, 100, "441.0000"},
    {Hz, 0, "0.000000"},             {Hz, 100, "480.0000", 48000.0f}, {Ms, 441, "10.00000"},
    {Int, 0, "0"},                   {Int, 1000, "1000"},            {Int, 99999999, "99999999"},
    {Int, 100000000, "Huge!"},       {Int, -999999999, "-999999999"}, {Int, -1000000000, "Huge!"}};
// clang-format on

// Up to each limit, a negative one included: the text's first characters, then zeros up to and
// including text[maxLen]; nothing before the text or after that byte is touched.
TEST(ValueToText, TextIsCutToTheLimitAndClearedUpToIt)
{
    constexpr char kUntouched = 0x7f;
    constexpr int kBefore = 8;
    for (const Case& c : kCases) {
        for (VstInt32 maxLen = -1; maxLen <= 40; maxLen += maxLen < 12 ? 1 : 28) { // and one far beyond the text
            RecordingEffect effect;
            effect.AudioEffect::setSampleRate(c.sampleRate);
            std::string buffer(64, kUntouched), expected(buffer);
            c.op ? (effect.*c.op)(static_cast<float>(c.input), buffer.data() + kBefore, maxLen)
                 : effect.int2string(static_cast<VstInt32>(c.input), buffer.data() + kBefore, maxLen);
            if (maxLen >= 0) // the text padded with zeros, cut to the limit, then the terminator
                expected.replace(kBefore, maxLen + 1, (c.text + std::string(41, '\0')).substr(0, maxLen) + '\0');
            EXPECT_EQ(buffer, expected) << c.text << " from " << c.input << ", limit " << maxLen;
        }
    }
}

} // namespace
