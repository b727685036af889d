// What a host shows for each parameter, asked through the dispatcher.
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <sstream>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

// A fresh program shows the defaults. The filter type has names at its whole values only, given by
// the string-from-value property (which the display text asks for the current value).
TEST(EffectParameterTexts, DefaultsAndTheFilterTypesNamesAtWholeValues)
{
    // Name, label and display of each index in turn.
    const char* const rows[] = {
        "Tap 1 time|ms|200.0", "Tap 1 pan|L/R|-1.000",  "Tap 1 feedback|%|0.000", "Tap 1 level||1.000",
        "Tap 2 time|ms|400.0", "Tap 2 pan|L/R|-0.333",  "Tap 2 feedback|%|0.000", "Tap 2 level||1.000",
        "Tap 3 time|ms|600.0", "Tap 3 pan|L/R|0.333",   "Tap 3 feedback|%|0.000", "Tap 3 level||1.000",
        "Tap 4 time|ms|800.0", "Tap 4 pan|L/R|1.000",   "Tap 4 feedback|%|40.00", "Tap 4 level||1.000",
        "Wet/Dry mix||1.000",  "Filter Cutoff|Hz|1000", "Filter Q||0.100",        "Filter Type||Thru",
        "Filter Sweep||0.000", "Saturation||0.000",     "Master feedback|%|100.0"};
    EffectHost host;
    ASSERT_EQ(host.record()->numParams, static_cast<VstInt32>(std::size(rows)));
    for (VstInt32 i = 0; i < kNumParams; ++i)
        EXPECT_EQ(host.text(effGetParamName, i) + "|" + host.text(effGetParamLabel, i) + "|" +
                      host.text(effGetParamDisplay, i),
                  rows[i])
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
    // Near no whole number: -2.16e9 has none that an int32_t holds, and 2^31 none at all.
    const std::pair<float, const char*> values[] = {
        {0.0f, "Thru"},   {-0.00498f, "Thru"},  {1.004f, "Low"},          {2.0f, "Band"},    {3.0f, "High"},
        {4.0f, "Thru"},   {1.5f, "(none)"},     {5.0f, "(none)"},         {-1.0f, "(none)"}, {0.00502f, "(none)"},
        {kNaN, "(none)"}, {-2.16e9f, "(none)"}, {2147483648.0f, "(none)"}};
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
