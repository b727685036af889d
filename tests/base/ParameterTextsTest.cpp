#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Rows of every kind the texts distinguish; the rest of the table stays the effect's.
class TextEffect : public VelqAuBase {
public:
    static constexpr int kBoolean = 0, kIndexed = 1, kGeneric = 2, kLongName = 3, kSeconds = 4;

    explicit TextEffect(bool namesIndexedValues = false)
        : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory), namesIndexedValues(namesIndexedValues)
    {
        std::copy(astParamInfos, astParamInfos + kNumParams, rows);
        rows[kBoolean] = {CFSTR("Bypass"), kAudioUnitParameterUnit_Boolean, 0, 1, 0};
        rows[kIndexed] = {CFSTR("Mode"), kAudioUnitParameterUnit_Indexed, 0, 3, 0};
        rows[kGeneric] = {CFSTR("Amount"), kAudioUnitParameterUnit_Generic, -1e30f, 1e30f, 0};
        rows[kLongName] = {CFSTR("A name of twenty chr"), kAudioUnitParameterUnit_Decibels, 0, 1, 0};
        rows[kSeconds] = {CFSTR("Length"), kAudioUnitParameterUnit_Seconds, 0, 1, 0};
        parameterTable = rows;
    }

    // The text shown for a real value, checked to fit the 24 bytes a host gives.
    std::string display(int index, float real)
    {
        currentProgram().SetParameter(index, real);
        char text[64];
        std::memset(text, 0x7f, sizeof text);
        getParameterDisplay(index, text);
        EXPECT_LT(std::strlen(text), 24u) << "display of " << index;
        return text;
    }

    OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* out) override
    {
        if (!namesIndexedValues || id != kIndexed)
            return VelqAuBase::GetParameterValueStrings(scope, id, out);
        const void* names[] = {CFSTR("Zero"), CFSTR("One"), CFSTR("A name longer than twenty-three bytes")};
        *out = CFArrayCreate(nullptr, names, 3, &kCFTypeArrayCallBacks);
        return 0;
    }

private:
    bool namesIndexedValues;
    ParamInfo rows[kNumParams];
};

TEST(ParameterTexts, NumbersTakeTheirPrecisionFromTheValueBeforeRoundingAndBooleansShowOnOff)
{
    const std::pair<float, const char*> numbers[] = {
        {9.9996f, "10.000"}, {99.996f, "100.00"}, {999.96f, "1000.0"}, {10.0f, "10.00"},        {100.0f, "100.0"},
        {1000.0f, "1000"},   {0.0f, "0.000"},     {-5.0f, "-5.000"},   {-2000.0f, "-2000.000"}, {1.2f, "1.200"},
    };
    const std::pair<float, const char*> booleans[] = {
        {0.0f, "Off"}, {-0.0f, "Off"}, {0.5f, "On"}, {-1.0f, "On"}, {kNaN, "On"}};
    TextEffect effect;
    for (const auto& [value, text] : numbers)
        EXPECT_EQ(effect.display(TextEffect::kGeneric, value), text) << value;
    for (const auto& [value, text] : booleans)
        EXPECT_EQ(effect.display(TextEffect::kBoolean, value), text) << value;
}

TEST(ParameterTexts, AbsurdNumbersAreCutAt23Characters)
{
    TextEffect effect;
    for (float value : {1e30f, -1e30f, std::numeric_limits<float>::max()})
        EXPECT_EQ(effect.display(TextEffect::kGeneric, value).size(), 23u) << value;
    EXPECT_NE(effect.display(TextEffect::kGeneric, kNaN).find("nan"), std::string::npos);
}

TEST(ParameterTexts, IndexedRowsShowTheirNamesOrTheNumber)
{
    // A name that does not fit the 24 bytes leaves the text empty; a position without a name shows the number.
    const std::tuple<bool, float, const char*> cases[] = {
        {true, 0.0f, "Zero"}, {true, 1.0f, "One"},      {true, 1.9f, "One"},       {true, -0.5f, "Zero"},
        {true, 2.0f, ""},     {true, 3.0f, "3.000000"}, {true, -1.0f, "-1.00000"}, {false, 2.0f, "2.000000"}};
    for (const auto& [named, value, text] : cases)
        EXPECT_EQ(TextEffect(named).display(TextEffect::kIndexed, value), text) << value;
}

TEST(ParameterTexts, NamesAndLabels)
{
    TextEffect effect;
    const std::tuple<int, const char*, const char*> cases[] = {{TextEffect::kLongName, "A name of twent", "dB"},
                                                               {TextEffect::kSeconds, "Length", "seconds"},
                                                               {TextEffect::kBoolean, "Bypass", ""},
                                                               {quadecho::kMasterFeedback, "Master feedback", "%"},
                                                               {-1, "", ""},
                                                               {kNumParams, "", ""}};
    for (const auto& [index, expectedName, expectedLabel] : cases) {
        char name[32], label[32];
        std::memset(name, 'x', sizeof name);
        std::memset(label, 'x', sizeof label);
        effect.getParameterName(index, name);
        effect.getParameterLabel(index, label);
        EXPECT_STREQ(name, expectedName);
        EXPECT_EQ(name[16], 'x'); // 16 bytes at most
        EXPECT_STREQ(label, expectedLabel);
    }
    char vendor[32];
    EXPECT_TRUE(effect.getVendorString(vendor));
    EXPECT_STREQ(vendor, "Velmorn Quaddle");
}

} // namespace
