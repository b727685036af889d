// What a host shows for each parameter of a fresh program, asked through the dispatcher.
#include "EffectHost.h"

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
        {0, "Tap 1 time", "ms", "200.0"},      {1, "Tap 1 pan", "L/R", "-1.000"},
        {2, "Tap 1 feedback", "%", "0.000"},   {3, "Tap 1 level", "", "1.000"},
        {4, "Tap 2 time", "ms", "400.0"},      {5, "Tap 2 pan", "L/R", "-0.333"},
        {6, "Tap 2 feedback", "%", "0.000"},   {7, "Tap 2 level", "", "1.000"},
        {8, "Tap 3 time", "ms", "600.0"},      {9, "Tap 3 pan", "L/R", "0.333"},
        {10, "Tap 3 feedback", "%", "0.000"},  {11, "Tap 3 level", "", "1.000"},
        {12, "Tap 4 time", "ms", "800.0"},     {13, "Tap 4 pan", "L/R", "1.000"},
        {14, "Tap 4 feedback", "%", "40.00"},  {15, "Tap 4 level", "", "1.000"},
        {16, "Wet/Dry mix", "", "1.000"},      {17, "Filter Cutoff", "Hz", "1000"},
        {18, "Filter Q", "", "0.100"},         {19, "Filter Type", "", "Thru"},
        {20, "Filter Sweep", "", "0.000"},     {21, "Saturation", "", "0.000"},
        {22, "Master feedback", "%", "100.0"},
    };
    EffectHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(host.text(effGetParamName, c.index), c.name);
        EXPECT_EQ(host.text(effGetParamLabel, c.index), c.label);
        EXPECT_EQ(host.text(effGetParamDisplay, c.index), c.display);
    }
}

TEST(EffectParameterTexts, FilterTypeIsNamedAtWholeValuesOnly)
{
    const std::pair<float, const char*> cases[] = {{1.0f, "Low"},  {2.0f, "Band"},  {3.0f, "High"},
                                                   {4.0f, "Thru"}, {1.2f, "1.200"}, {2.5f, "2.500"}};
    EffectHost host;
    for (const auto& [value, text] : cases) {
        host.setReal(19, value);
        EXPECT_EQ(host.text(effGetParamDisplay, 19), text) << value;
    }
}

TEST(EffectParameterTexts, ProgramsKeepTheirOwnNamesAndValues)
{
    EffectHost host;
    char name[] = "Slapback";
    host.dispatch(effSetProgram, 0, 3);
    host.dispatch(effSetProgramName, 0, 0, name);
    host.set(0, 0.25f);
    EXPECT_EQ(host.text(effGetParamDisplay, 0), "500.0");
    host.dispatch(effSetProgram, 0, 8); // no such program
    EXPECT_EQ(host.text(effGetProgramName), "Slapback");
    host.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(host.text(effGetProgramName), "Defaults");
    EXPECT_EQ(host.text(effGetParamDisplay, 0), "200.0");
    char indexed[32] = {};
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 3, 0, indexed), 1);
    EXPECT_STREQ(indexed, "Slapback");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 8, 0, indexed), 0);
}

} // namespace
