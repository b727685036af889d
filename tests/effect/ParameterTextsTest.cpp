// What a host shows for each parameter, asked through the dispatcher.
#include "tests/support/EffectHost.h"
#include <gtest/gtest.h>

namespace {

TEST(EffectParameterTexts, FreshProgramShowsTheDefaults)
{
    struct Case {
        VstInt32 index;
        const char* name;
        const char* label;
        const char* display;
    };
    const Case cases[] = {
        {kTap1Time, "Tap 1 time", "ms", "200.0"},
        {kTap1Pan, "Tap 1 pan", "L/R", "-1.000"},
        {kTap1Feedback, "Tap 1 feedback", "%", "0.000"},
        {kTap1Level, "Tap 1 level", "", "1.000"},
        {kTap2Time, "Tap 2 time", "ms", "400.0"},
        {kTap2Pan, "Tap 2 pan", "L/R", "-0.333"},
        {kTap2Feedback, "Tap 2 feedback", "%", "0.000"},
        {kTap2Level, "Tap 2 level", "", "1.000"},
        {kTap3Time, "Tap 3 time", "ms", "600.0"},
        {kTap3Pan, "Tap 3 pan", "L/R", "0.333"},
        {kTap3Feedback, "Tap 3 feedback", "%", "0.000"},
        {kTap3Level, "Tap 3 level", "", "1.000"},
        {kTap4Time, "Tap 4 time", "ms", "800.0"},
        {kTap4Pan, "Tap 4 pan", "L/R", "1.000"},
        {kTap4Feedback, "Tap 4 feedback", "%", "40.00"},
        {kTap4Level, "Tap 4 level", "", "1.000"},
        {kWetDryMix, "Wet/Dry mix", "", "1.000"},
        {kFilterCutoff, "Filter Cutoff", "Hz", "1000"},
        {kFilterQ, "Filter Q", "", "0.100"},
        {kFilterType, "Filter Type", "", "Thru"},
        {kFilterSweep, "Filter Sweep", "", "0.000"},
        {kSaturation, "Saturation", "", "0.000"},
        {kMasterFeedback, "Master feedback", "%", "100.0"},
    };
    EffectHost host;
    EXPECT_EQ(host.record()->numParams, static_cast<VstInt32>(std::size(cases)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(host.text(effGetParamName, c.index), c.name);
        EXPECT_EQ(host.text(effGetParamLabel, c.index), c.label);
        EXPECT_EQ(host.text(effGetParamDisplay, c.index), c.display);
    }
}

// The filter type has names at its whole values only, through the string-from-value property
// and in the display text, which asks that property for the current value.
TEST(EffectParameterTexts, FilterTypeIsNamedAtWholeValuesOnly)
{
    EffectHost host;
    auto nameOf = [&](const float* value, AudioUnitParameterID id = kFilterType) -> std::string {
        AudioUnitParameterStringFromValue request{id, value, nullptr};
        if (host.effect().GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &request) != 0)
            return "(error)";
        if (!request.outString)
            return "(none)";
        char text[24] = {};
        EXPECT_TRUE(CFStringGetCString(request.outString, text, sizeof text, kCFStringEncodingUTF8));
        CFRelease(request.outString);
        return text;
    };
    const std::pair<float, const char*> values[] = {
        {0.0f, "Thru"},   {-0.004f, "Thru"}, {1.004f, "Low"},    {2.0f, "Band"},    {3.0f, "High"},
        {4.0f, "Thru"},   {1.5f, "(none)"},  {5.0f, "(none)"},   {-1.0f, "(none)"}, {0.006f, "(none)"},
        {kNaN, "(none)"}, {1e30f, "(none)"}, {-1e30f, "(none)"},
    };
    for (const auto& [value, name] : values)
        EXPECT_EQ(nameOf(&value), name) << value;
    EXPECT_EQ(nameOf(nullptr, kFilterQ), "(error)");

    const std::pair<float, const char*> shown[] = {{3.0f, "High"}, {4.0f, "Thru"}, {2.5f, "2.500"}};
    for (const auto& [value, text] : shown) {
        host.setReal(kFilterType, value);
        EXPECT_EQ(host.text(effGetParamDisplay, kFilterType), text) << value;
    }
}

TEST(EffectParameterTexts, ProgramsKeepTheirOwnNamesAndValues)
{
    EffectHost host;
    EXPECT_EQ(host.record()->numPrograms, 8);
    char name[] = "Slapback";
    host.dispatch(effSetProgram, 0, 3);
    host.dispatch(effSetProgramName, 0, 0, name);
    host.set(kTap1Time, 0.25f);
    EXPECT_EQ(host.text(effGetParamDisplay, kTap1Time), "500.0");
    host.dispatch(effSetProgram, 0, 8); // no such program
    EXPECT_EQ(host.text(effGetProgramName), "Slapback");
    host.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(host.text(effGetProgramName), "Defaults");
    EXPECT_EQ(host.text(effGetParamDisplay, kTap1Time), "200.0");
    char indexed[32] = {};
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 3, 0, indexed), 1);
    EXPECT_STREQ(indexed, "Slapback");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 8, 0, indexed), 0);
}

} // namespace
