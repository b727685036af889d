#include "vst/AudioEffect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace {

class TextEffect : public AudioEffect {
public:
    TextEffect() : AudioEffect(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

enum Op { Db, Hz, Ms, Float, Int };

// Through the virtual table, as a host's call would go.
void convert(AudioEffect& effect, Op op, double input, char* text, VstInt32 maxLen)
{
    const auto value = static_cast<float>(input);
    switch (op) {
    case Db:
        effect.dB2string(value, text, maxLen);
        break;
    case Hz:
        effect.Hz2string(value, text, maxLen);
        break;
    case Ms:
        effect.ms2string(value, text, maxLen);
        break;
    case Float:
        effect.float2string(value, text, maxLen);
        break;
    case Int:
        effect.int2string(static_cast<VstInt32>(input), text, maxLen);
        break;
    }
}

struct Case {
    Op op;
    double input;
    const char* text; // the whole text, of which a limit keeps the first characters
    float sampleRate = 44100.0f;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Float: integer parts one digit longer than the point leaves room for show all digits, no point.
// Int: below the reach of nine place values is as unprintable as the large positives.
const Case kCases[] = {
    {Float, 0, "0.000000"},
    {Float, 1.5, "1.500000"},
    {Float, -1.5, "-1.50000"},
    {Float, 123.25, "123.2500"},
    {Float, 44100, "44100.00"},
    {Float, 1234567, "1234567."},
    {Float, 0.1, "0.100000"},
    {Float, 1.9999999, "1.999999"},
    {Float, 0.99999994, "0.999999"},
    {Float, 9999999, "9999999."},
    {Float, -999999, "-999999."},
    {Float, 100000000, "Huge!"},
    {Float, -10000000, "Huge!"},
    {Float, kInf, "Huge!"},
    {Float, -kInf, "Huge!"},
    {Float, 10000000, "10000000"},
    {Float, 12345678, "12345678"},
    {Float, 99999992, "99999992"},
    {Float, -1000000, "-1000000"},
    {Float, -9999999, "-9999999"},
    {Float, kNaN, "NaN"},
    {Db, 1, "0.000000"},
    {Db, 0.5, "-6.02059"},
    {Db, 2, "6.020599"},
    {Db, 0, "-oo"},
    {Db, -1, "-oo"},
    {Db, kNaN, "-oo"},
    {Db, kInf, "Huge!"},
    {Hz, 100, "441.0000"},
    {Hz, 0, "0.000000"},
    {Hz, 1e-30, "Huge!"},
    {Hz, kNaN, "NaN"},
    {Hz, 100, "480.0000", 48000.0f},
    {Ms, 441, "10.00000"},
    {Ms, 441, "Huge!", 0.0f},
    {Ms, 0, "NaN", 0.0f},
    {Ms, kNaN, "NaN"},
    {Int, 0, "0"},
    {Int, 5, "5"},
    {Int, -5, "-5"},
    {Int, 1000, "1000"},
    {Int, 99999999, "99999999"},
    {Int, 100000000, "Huge!"},
    {Int, -123456789, "-123456789"},
    {Int, -999999999, "-999999999"},
    {Int, -1000000000, "Huge!"},
    {Int, INT32_MIN, "Huge!"},
    {Int, INT32_MAX, "Huge!"},
};

// Up to each limit, a negative one included: the text's first characters, then zeros up to and
// including text[maxLen]; nothing before the text or after that byte is touched.
TEST(ValueToText, TextIsCutToTheLimitAndClearedUpToIt)
{
    constexpr char kUntouched = 0x7f;
    constexpr int kBefore = 8;
    for (const Case& c : kCases) {
        for (VstInt32 maxLen = -1; maxLen <= 12; ++maxLen) {
            TextEffect effect;
            effect.setSampleRate(c.sampleRate);
            std::string buffer(32, kUntouched), expected(kBefore, kUntouched);
            convert(effect, c.op, c.input, buffer.data() + kBefore, maxLen);
            if (maxLen >= 0)
                expected += std::string(c.text).substr(0, maxLen).append(maxLen + 1, '\0').substr(0, maxLen + 1);
            expected.resize(buffer.size(), kUntouched);
            EXPECT_EQ(buffer, expected) << "op " << c.op << "(" << c.input << ", maxLen " << maxLen << ") at "
                                        << c.sampleRate;
        }
    }
}

// The unit conversions reach the sample rate and the number formatter through the virtual table.
class RateEffect : public TextEffect {
public:
    float getSampleRate() override { return 1000.0f; }
};

class FormatterEffect : public TextEffect {
public:
    void float2string(float value, char* text, VstInt32) override { std::strcpy(text, value > 0 ? "pos" : "other"); }
};

TEST(ValueToText, ConversionsUseTheEffectsOwnRateAndFormatter)
{
    // whether through the formatter (else the rate), op, input, text
    const std::tuple<bool, Op, double, const char*> cases[] = {
        {false, Hz, 10, "100.0000"}, {false, Ms, 1000, "1000.000"}, {true, Db, 2, "pos"},   {true, Db, 0.5, "other"},
        {true, Db, 0, "-oo"},        {true, Hz, 10, "pos"},         {true, Hz, 0, "other"}, {true, Ms, 10, "pos"}};
    for (const auto& [formatter, op, input, expected] : cases) {
        RateEffect rate;
        FormatterEffect format;
        char text[16] = {};
        convert(formatter ? static_cast<AudioEffect&>(format) : rate, op, input, text, 8);
        EXPECT_STREQ(text, expected) << "op " << op << "(" << input << ")";
    }
}

} // namespace
