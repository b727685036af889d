// Scaling by each unit, and the texts of the kinds of row the effect's own table lacks; its rows'
// texts are checked in the tool's tests, the byte limits on every row in tests/effect, the number
// formats and unit labels in tests/core.
#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

TEST(ParameterScaling, ByUnitWithoutClampingAndIndexedRowsRoundHalvesUp)
{
    // index, normalised, real. Cutoff: 50 Hz to 8 kHz, its middle sqrt(50 * 8000). Rows outside the table
    // scale as a plain 0..1 row.
    const std::tuple<int, float, float> cases[] = {
        {quadecho::kTap1Time, 0.25f, 500.0f},      {quadecho::kTap1Pan, 1.2f, 1.4f},
        {quadecho::kFilterCutoff, 1.0f, 8000.0f},  {quadecho::kFilterCutoff, 0.5f, 632.4555f},
        {quadecho::kMasterFeedback, 0.5f, 100.0f}, {kNumParams, 0.25f, 0.25f}};
    for (const auto& [index, normalised, real] : cases) {
        const AudioUnitParameter p{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
        EXPECT_FLOAT_EQ(AUParameterValueFromLinear(normalised, &p), real) << index << " at " << normalised;
        EXPECT_NEAR(AUParameterValueToLinear(real, &p), normalised, 1e-6f) << index << " at " << real;
    }
    EXPECT_EQ(AUParameterValueFromLinear(0.25f, nullptr), 0.25f);
    const ParamInfo indexed{nullptr, kAudioUnitParameterUnit_Indexed, 0.0f, 4.0f, 0.0f};
    EXPECT_EQ(std::tuple(valueFromLinear(indexed, 0.374f), valueFromLinear(indexed, 0.375f)), std::tuple(1.0f, 2.0f));
    // A row without range maps to its value.
    EXPECT_EQ(valueToLinear({nullptr, kAudioUnitParameterUnit_Generic, 3.0f, 3.0f, 3.0f}, 3.0f), 3.0f);
}

enum Row : int { kBoolean, kIndexed, kBareIndexed, kGeneric, kNoName };

struct TextEffect : VelqAuBase {
    TextEffect() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory)
    {
        // Units by Apple's numbers: 2 boolean, 1 indexed, 13 decibels.
        rows[kBoolean] = {CFSTR("Bypass"), 2, 0, 1, 0};
        rows[kIndexed] = rows[kBareIndexed] = {CFSTR("Mode"), 1, 0, 3, 0};
        rows[kGeneric] = {CFSTR("A name of twenty chr"), 13, 0, 1, 0};
        parameterTable = rows;
    }
    std::string text(void (VelqAuBase::*get)(VstInt32, char*), int index, float real = 0)
    {
        currentProgram().SetParameter(index, real);
        char text[64] = "x";
        (this->*get)(index, text);
        return text;
    }
    // Names for the positions of kIndexed only.
    OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* out) override
    {
        const void* names[] = {CFSTR("Zero"), CFSTR("One"), CFSTR("A name longer than twenty-three bytes")};
        return id == kIndexed ? (*out = CFArrayCreate(nullptr, names, 3, &kCFTypeArrayCallBacks), 0)
                              : VelqAuBase::GetParameterValueStrings(scope, id, out);
    }
    ParamInfo rows[kNumParams]{}; // kNoName and the rest: no name, generic, no range
};

// Indexed rows show their names, or the number where a position has none; a name that does not fit the
// 24 bytes leaves the text empty, and a long number is cut to the 23 characters a host can take. Names
// are cut to 15 characters; nothing is shown for a row outside the table.
TEST(ParameterTexts, DisplayNameAndLabelFollowTheKindOfRow)
{
    const std::tuple<int, float, const char*> cases[] = {
        {kBoolean, 0.0f, "Off"},          {kBoolean, 0.5f, "On"},
        {kIndexed, -0.5f, "Zero"},        {kIndexed, 2.0f, ""},
        {kIndexed, 3.0f, "3.000000"},     {kIndexed, -1.0f, "-1.00000"},
        {kBareIndexed, 2.0f, "2.000000"}, {kGeneric, 1e30f, "10000000150474662198766"}};
    TextEffect effect;
    for (const auto& [index, value, text] : cases)
        EXPECT_EQ(effect.text(&VelqAuBase::getParameterDisplay, index, value), text) << index << " at " << value;
    for (const auto& [index, name, label] :
         {std::tuple{kGeneric, "A name of twent", "dB"}, {kNoName, "", ""}, {Row(kNumParams), "", ""}}) {
        EXPECT_EQ(effect.text(&VelqAuBase::getParameterName, index), name) << index;
        EXPECT_EQ(effect.text(&VelqAuBase::getParameterLabel, index), label) << index;
    }
}

} // namespace
