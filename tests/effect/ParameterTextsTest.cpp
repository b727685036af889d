// What a host shows for each parameter, asked through the dispatcher.
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <string>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

// The filter type has names at its whole values only, given by the string-from-value property
// (which the display text asks for the current value; the texts a host shows for each row are in
// the tool's tests, every value's and unit's in tests/core).
TEST(EffectParameterTexts, TheFilterTypesNamesAtWholeValues)
{
    EffectHost host;
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

} // namespace
