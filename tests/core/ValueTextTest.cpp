// Values as the texts the 2.4 module shows, and those texts read back, for every format.
#include "core/ValueText.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace {

using namespace quadecho;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Shown {
    int index;
    double value;
    bool withLabel;
    std::size_t capacity;
    const char* text; // nullptr: refused, with an empty text
};

TEST(ValueText, ShowsWhatThe24ModuleShows)
{
    const Shown rows[] = {
        {kTap1Time, 500.0, false, 64, "500.0"},
        {kTap1Time, 500.0, true, 64, "500.0 ms"},
        {kTap2Pan, kParameters[kTap2Pan].defaultValue, true, 64, "-0.333 L/R"},
        {kFilterCutoff, 1000.0, true, 64, "1000 Hz"},
        {kTap4Feedback, 40.0, true, 64, "40.00 %"},
        {kWetDryMix, 9.9996, true, 64, "10.000"}, // the precision chosen before rounding; no label
        {kTap1Time, 10.0, false, 64, "10.00"},    // each precision from its threshold on
        {kTap1Time, 100.0, false, 64, "100.0"},
        {kTap1Time, 1000.0, false, 64, "1000"},
        {kTap1Time, 99.999999999, false, 64, "100.0"}, // rounded to float first
        {kFilterType, 1.004, true, 64, "Low"},         // a name takes no label
        {kFilterType, 4.0, false, 64, "Thru"},
        {kFilterType, 0.005, false, 64, "0.005"}, // just outside the names' tolerance
        {kFilterType, 1.5, false, 64, "1.500"},
        {kTap1Time, 500.0, true, 9, "500.0 ms"}, // exactly fits
        {kTap1Time, 500.0, true, 8, nullptr},    // one byte short
        {kFilterType, 2.0, false, 4, nullptr},   // "Band" and no room for the terminator
        {kTap1Time, 1e30, false, 16, nullptr},
        {kTap1Time, kNaN, false, 64, nullptr},
        {kTap1Time, std::numeric_limits<double>::infinity(), false, 64, nullptr},
        {kTap1Time, 1e300, false, 64, nullptr}, // infinite as a float
        {-1, 1.0, false, 64, nullptr},
        {kNumParams, 1.0, false, 64, nullptr},
    };
    for (const Shown& row : rows) {
        char text[64];
        std::fill(std::begin(text), std::end(text), 'x');
        const bool shown = valueToText(row.index, row.value, text, row.capacity, row.withLabel);
        EXPECT_EQ(shown, row.text != nullptr) << "parameter " << row.index << ", value " << row.value;
        EXPECT_EQ(std::string(text), row.text ? row.text : "") << "parameter " << row.index << ", value " << row.value;
    }
    char untouched[2] = "x";
    EXPECT_FALSE(valueToText(kTap1Time, 500.0, untouched, 0)) << "no room at all";
    EXPECT_STREQ(untouched, "x") << "no room at all";
    EXPECT_FALSE(valueToText(kTap1Time, 500.0, nullptr, 64)) << "no buffer";
}

TEST(ValueText, ReadsNamesAndNumbersWithOrWithoutTheUnit)
{
    const std::tuple<int, const char*, std::optional<double>> rows[] = {
        {kTap1Time, "500", 500.0},          {kTap1Time, " 500ms ", 500.0},
        {kTap1Time, "500 MS", 500.0},       {kTap1Time, "+2.5e2", 250.0},
        {kTap1Time, "3000", 3000.0},        {kTap2Pan, "-0.333 L/R", -0.333},
        {kTap2Pan, "-1 l/r", -1.0},         {kFilterCutoff, "1000 hZ", 1000.0},
        {kFilterType, "thru", 0.0},         {kFilterType, "LOW", 1.0},
        {kFilterType, "BAND", 2.0},         {kFilterType, " Band ", 2.0},
        {kFilterType, "High", 3.0},         {kFilterType, "2.5", 2.5},
        {kTap1Time, "Low", std::nullopt}, // names belong to the filter type alone
        {kTap1Time, "", std::nullopt},      {kTap1Time, "ms", std::nullopt},
        {kTap1Time, "500 s", std::nullopt}, {kTap1Time, "5 00", std::nullopt},
        {kTap1Time, "nan", std::nullopt},   {kTap1Time, "inf", std::nullopt},
        {kTap1Time, "1e999", std::nullopt}, {kFilterType, "Lowpass", std::nullopt},
        {kNumParams, "1", std::nullopt},    {-1, "1", std::nullopt},
    };
    for (const auto& [index, text, expected] : rows)
        EXPECT_EQ(textToValue(index, text), expected) << "parameter " << index << ", '" << text << "'";
}

} // namespace
