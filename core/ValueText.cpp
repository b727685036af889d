#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace quadecho {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) noexcept
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameNoCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace

int filterTypeAt(float value) noexcept
{
    const float rounded = value + 0.5f;
    if (!(rounded > -2147483648.0f && rounded < 2147483648.0f))
        return -1; // no whole number near it
    const auto whole = static_cast<std::int32_t>(rounded);
    if (std::fabs(value - static_cast<float>(whole)) < 0.005f &&
        static_cast<std::uint32_t>(whole) < std::size(kFilterTypeNames))
        return whole;
    return -1;
}

int printValue(float value, char* text, std::size_t capacity) noexcept
{
    const char* format = "%.0f";
    if (!(value >= 10.0f))
        format = "%.3f"; // negative and not-a-number values too
    else if (value < 100.0f)
        format = "%.2f";
    else if (value < 1000.0f)
        format = "%.1f";
    return std::snprintf(text, capacity, format, static_cast<double>(value));
}

bool valueToText(int index, double value, char* text, std::size_t capacity, bool withLabel) noexcept
{
    if (!text || capacity == 0)
        return false;
    *text = 0;
    const auto v = static_cast<float>(value);
    if (!isParameterIndex(index) || !std::isfinite(v))
        return false;
    const int type = index == kFilterType ? filterTypeAt(v) : -1;
    int length =
        type >= 0 ? std::snprintf(text, capacity, "%s", kFilterTypeNames[type]) : printValue(v, text, capacity);
    const char* label = unitLabel(kParameters[index].unit);
    if (withLabel && type < 0 && *label && length >= 0 && static_cast<std::size_t>(length) < capacity)
        length += std::snprintf(text + length, capacity - static_cast<std::size_t>(length), " %s", label);
    if (length < 0 || static_cast<std::size_t>(length) >= capacity) {
        *text = 0;
        return false;
    }
    return true;
}

std::optional<double> parseNumber(std::string_view text) noexcept
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> textToValue(int index, std::string_view text) noexcept
{
    if (!isParameterIndex(index))
        return std::nullopt;
    text = trimmed(text);
    if (index == kFilterType)
        for (std::size_t i = 0; i < std::size(kFilterTypeNames); ++i)
            if (sameNoCase(text, kFilterTypeNames[i]))
                return static_cast<double>(i);
    const std::string_view label = unitLabel(kParameters[index].unit);
    if (!label.empty() && text.size() >= label.size() && sameNoCase(text.substr(text.size() - label.size()), label))
        text.remove_suffix(label.size());
    return parseNumber(text);
}

} // namespace quadecho
