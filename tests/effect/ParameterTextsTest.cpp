// What a host shows for each parameter, asked through the dispatcher.
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

// A fresh program shows the defaults: a row of each unit, through the dispatcher (the texts of every
// value and unit are the core's, tested there). The filter type has names at its whole values only,
// given by the string-from-value property (which the display text asks for the current value).
TEST(EffectParameterTexts, DefaultsAndTheFilterTypesNamesAtWholeValues)
{
    // Name, label and display.
    const std::pair<VstInt32, const char*> rows[] = {
        {kTap1Time, "Tap 1 time|ms|200.0"},          {kTap2Pan, "Tap 2 pan|L/R|-0.333"},
        {kTap4Feedback, "Tap 4 feedback|%|40.00"},   {kTap4Level, "Tap 4 level||1.000"},
        {kFilterCutoff, "Filter Cutoff|Hz|1000"},    {kFilterType, "Filter Type||Thru"},
        {kMasterFeedback, "Master feedback|%|100.0"}};
    EffectHost host;
    for (const auto& [i, row] : rows)
        EXPECT_EQ(host.text(effGetParamName, i) + "|" + host.text(effGetParamLabel, i) + "|" +
                      host.text(effGetParamDisplay, i),
                  row)
            << "parameter " << i;
    auto nameOf = [&](const float* value, AudioUnitParameterID id = kFilterType) -> std::string {
        AudioUnitParameterStringFromValue request{id, value, nullptr};
        if (const OSStatus s = host.effect().GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &request))
            return "(error " + std::to_string(s) + ")"; // kAudioUnitErr_InvalidParameter: -10878
        if (!request.outString)
            return "(none)";
        char text[24] = {};
        EXPECT_TRUE(CFStringGetCString(request.outString, text, sizeof text, kCFStringEncodingUTF8));
        CFRelease(request.outString);
        return text;
    };
    // Near no whole number: -2.16e9 has none that an int32_t holds, and 2^31 none at all. (The
    // tolerance and the names between are the value texts', tested in tests/core.)
    const std::pair<float, const char*> values[] = {{-0.00498f, "Thru"},  {2.0f, "Band"},           {3.0f, "High"},
                                                    {5.0f, "(none)"},     {-1.0f, "(none)"},        {kNaN, "(none)"},
                                                    {-2.16e9f, "(none)"}, {2147483648.0f, "(none)"}};
    for (const auto& [value, name] : values)
        EXPECT_EQ(nameOf(&value), name) << value;
    EXPECT_EQ(nameOf(nullptr, kFilterQ), "(error -10878)");
}

// The unit of each row by Apple's number for it, and the range a host's automation spans.
TEST(EffectParameterTexts, UnitsAndRangesAreThePromisedNumbers)
{
    std::ostringstream rows;
    for (const ParamInfo& row : astParamInfos)
        rows << row.unit << ' ' << row.minValue << ".." << row.maxValue << ' ';
    const std::string tap = "24 0..2000 18 -1..1 3 0..100 14 0..1 ";
    EXPECT_EQ(rows.str(), tap + tap + tap + tap + "0 0..1 8 50..8000 0 0.01..1 0 0..4 0 0..1 0 0..11 3 0..200 ");
}

} // namespace
