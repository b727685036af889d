#include "vst/AudioEffect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

class TextEffect : public AudioEffect {
public:
    TextEffect() : AudioEffect(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

enum class Op { Db, Hz, Ms, Float, Int };

struct Case {
    Op op;
    double input;
    VstInt32 maxLen;
    const char* expected;
    float sampleRate = 44100.0f;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const Case kCases[] = {
    {Op::Float, 0, 8, "0.000000"},
    {Op::Float, 1.5, 8, "1.500000"},
    {Op::Float, -1.5, 8, "-1.50000"},
    {Op::Float, 123.25, 8, "123.2500"},
    {Op::Float, 2000, 8, "2000.000"},
    {Op::Float, 44100, 8, "44100.00"},
    {Op::Float, 1234567, 8, "1234567."},
    {Op::Float, -123456, 8, "-123456."},
    {Op::Float, 0.1, 8, "0.100000"},
    {Op::Float, 1.9999999, 8, "1.999999"},
    {Op::Float, 0.99999994, 8, "0.999999"},
    {Op::Float, -0.5, 8, "-0.50000"},
    {Op::Float, 9999999, 8, "9999999."},
    {Op::Float, -999999, 8, "-999999."},
    {Op::Float, 100000000, 8, "Huge!"},
    {Op::Float, -10000000, 8, "Huge!"},
    {Op::Float, kInf, 8, "Huge!"},
    {Op::Float, -kInf, 8, "Huge!"},
    {Op::Float, 123.25, 4, "123."},
    {Op::Float, 44100, 4, "4410"},
    {Op::Float, 1.5, 4, "1.50"},
    {Op::Float, 1.5, 0, ""},
    {Op::Float, 100000000, 0, ""},
    {Op::Float, 1.5, 12, "1.500000"},
    // Integer parts one digit longer than the point leaves room for: all digits, no point.
    {Op::Float, 10000000, 8, "10000000"},
    {Op::Float, 12345678, 8, "12345678"},
    {Op::Float, 99999992, 12, "99999992"},
    {Op::Float, -1000000, 8, "-1000000"},
    {Op::Float, -1234567, 8, "-1234567"},
    {Op::Float, -9999999, 8, "-9999999"},
    {Op::Float, 12345678, 4, "1234"},
    {Op::Float, kNaN, 8, "NaN"},
    {Op::Float, kNaN, 2, "Na"},

    {Op::Db, 1, 8, "0.000000"},
    {Op::Db, 0.5, 8, "-6.02059"},
    {Op::Db, 2, 8, "6.020599"},
    {Op::Db, 10, 8, "20.00000"},
    {Op::Db, 0, 8, "-oo"},
    {Op::Db, -1, 8, "-oo"},
    {Op::Db, kNaN, 8, "-oo"},
    {Op::Db, 0, 2, "-o"},
    {Op::Db, kInf, 8, "Huge!"},

    {Op::Hz, 100, 8, "441.0000"},
    {Op::Hz, 0, 8, "0.000000"},
    {Op::Hz, 100, 4, "441."},
    {Op::Hz, 1e-30, 8, "Huge!"},
    {Op::Hz, kNaN, 8, "NaN"},
    {Op::Hz, 100, 8, "480.0000", 48000.0f},

    {Op::Ms, 441, 8, "10.00000"},
    {Op::Ms, 441, 8, "Huge!", 0.0f},
    {Op::Ms, 0, 8, "NaN", 0.0f},
    {Op::Ms, kNaN, 8, "NaN"},

    {Op::Int, 0, 8, "0"},
    {Op::Int, 5, 8, "5"},
    {Op::Int, -5, 8, "-5"},
    {Op::Int, 1000, 8, "1000"},
    {Op::Int, 99999999, 8, "99999999"},
    {Op::Int, 100000000, 8, "Huge!"},
    {Op::Int, -123456789, 8, "-1234567"},
    {Op::Int, -123456789, 12, "-123456789"},
    {Op::Int, 12345, 4, "1234"},
    {Op::Int, 5, 0, ""},
    // Below the reach of nine place values, like the large positives.
    {Op::Int, -999999999, 12, "-999999999"},
    {Op::Int, -1000000000, 8, "Huge!"},
    {Op::Int, INT32_MIN, 12, "Huge!"},
    {Op::Int, INT32_MAX, 8, "Huge!"},
};

const char* opName(Op op)
{
    const char* names[] = {"dB2string", "Hz2string", "ms2string", "float2string", "int2string"};
    return names[static_cast<int>(op)];
}

void convert(AudioEffect& effect, Op op, double input, char* text, VstInt32 maxLen)
{
    const float value = static_cast<float>(input);
    switch (op) {
    case Op::Db:
        return effect.dB2string(value, text, maxLen);
    case Op::Hz:
        return effect.Hz2string(value, text, maxLen);
    case Op::Ms:
        return effect.ms2string(value, text, maxLen);
    case Op::Float:
        return effect.float2string(value, text, maxLen);
    case Op::Int:
        return effect.int2string(static_cast<VstInt32>(input), text, maxLen);
    }
}

constexpr char kUntouched = 0x7f;

TEST(ValueToText, TextIsCutToTheLimitAndClearedUpToIt)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::Message()
                     << opName(c.op) << "(" << c.input << ", maxLen " << c.maxLen << ") at " << c.sampleRate);
        TextEffect effect;
        effect.setSampleRate(c.sampleRate);
        char text[32];
        std::memset(text, kUntouched, sizeof text);
        convert(effect, c.op, c.input, text, c.maxLen);
        const std::size_t length = std::strlen(c.expected);
        EXPECT_EQ(std::string(text, length), c.expected);
        for (VstInt32 i = static_cast<VstInt32>(length); i <= c.maxLen; ++i)
            EXPECT_EQ(text[i], 0) << "at " << i;
        for (std::size_t i = static_cast<std::size_t>(c.maxLen) + 1; i < sizeof text; ++i)
            EXPECT_EQ(text[i], kUntouched) << "at " << i;
    }
}

TEST(ValueToText, NegativeLimitWritesNothing)
{
    for (Op op : {Op::Db, Op::Hz, Op::Ms, Op::Float, Op::Int}) {
        SCOPED_TRACE(opName(op));
        TextEffect effect;
        char text[16];
        std::memset(text, kUntouched, sizeof text);
        convert(effect, op, 1.0, text + 8, -1);
        for (char ch : text)
            EXPECT_EQ(ch, kUntouched);
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
    struct Override {
        bool formatter;
        Op op;
        double input;
        const char* expected;
    };
    const Override cases[] = {{false, Op::Hz, 10, "100.0000"}, {false, Op::Ms, 1000, "1000.000"},
                              {true, Op::Db, 2, "pos"},        {true, Op::Db, 0.5, "other"},
                              {true, Op::Db, 0, "-oo"},        {true, Op::Hz, 10, "pos"},
                              {true, Op::Hz, 0, "other"},      {true, Op::Ms, 10, "pos"}};
    for (const Override& c : cases) {
        SCOPED_TRACE(::testing::Message() << opName(c.op) << "(" << c.input << ")");
        RateEffect rate;
        FormatterEffect formatter;
        char text[16] = {};
        convert(c.formatter ? static_cast<AudioEffect&>(formatter) : rate, c.op, c.input, text, 8);
        EXPECT_STREQ(text, c.expected);
    }
}

} // namespace
