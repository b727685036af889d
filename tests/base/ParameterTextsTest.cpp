// The texts of the kinds of row the effect's own table lacks; its 23 rows, and the byte limits on
// every row, are checked in tests/effect.
#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

enum Row : int { kBoolean, kIndexed, kBareIndexed, kGeneric, kNoName };

struct TextEffect : VelqAuBase {
    TextEffect() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory)
    {
        // Units by Apple's numbers: 2 boolean, 1 indexed.
        rows[kBoolean] = {CFSTR("Bypass"), 2, 0, 1, 0};
        rows[kIndexed] = rows[kBareIndexed] = {CFSTR("Mode"), 1, 0, 3, 0};
        rows[kGeneric] = {CFSTR("A name of twenty chr"), kAudioUnitParameterUnit_Generic, 0, 1, 0};
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

// Numbers take their precision from the value before rounding; indexed rows show their names, or the number
// where a position has none; a name that does not fit the 24 bytes leaves the text empty, and a long number
// is cut to the 23 characters a host can take. Names are cut to 15 characters, labels follow the unit.
TEST(ParameterTexts, DisplayNameAndLabelFollowTheKindOfRow)
{
    const std::tuple<int, float, const char*> cases[] = {{kGeneric, 9.9996f, "10.000"},   {kGeneric, 10.0f, "10.00"},
                                                         {kGeneric, 100.0f, "100.0"},     {kGeneric, 1000.0f, "1000"},
                                                         {kBoolean, 0.0f, "Off"},         {kBoolean, 0.5f, "On"},
                                                         {kIndexed, -0.5f, "Zero"},       {kIndexed, 2.0f, ""},
                                                         {kIndexed, 3.0f, "3.000000"},    {kIndexed, -1.0f, "-1.00000"},
                                                         {kBareIndexed, 2.0f, "2.000000"}};
    TextEffect effect;
    for (const auto& [index, value, text] : cases)
        EXPECT_EQ(effect.text(&VelqAuBase::getParameterDisplay, index, value), text) << index << " at " << value;
    EXPECT_EQ(effect.text(&VelqAuBase::getParameterDisplay, kGeneric, 1e30f), "10000000150474662198766");
    for (const auto& [index, name] : {std::pair{kGeneric, "A name of twent"}, {kNoName, ""}, {Row(kNumParams), ""}})
        EXPECT_EQ(effect.text(&VelqAuBase::getParameterName, index), name) << index;
    // No label outside the table, then the units the effect's own table does not use, by Apple's
    // numbers for seconds, cents, decibels, BPM and beats.
    std::string labels = effect.text(&VelqAuBase::getParameterLabel, kNumParams);
    for (UInt32 unit : {4, 9, 13, 22, 23})
        effect.rows[0].unit = unit, labels += effect.text(&VelqAuBase::getParameterLabel, 0) + " ";
    EXPECT_EQ(labels, "seconds cents dB BPM beats ");
}

} // namespace
