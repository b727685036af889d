// Values as text and back, in plain char, with the texts the 2.4 module displays: "500.0" with the
// label "ms", "Low" at the filter type's whole values. Every format shows the same texts.
#pragma once

#include "Parameters.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace quadecho {

// The filter type's name at a value: the whole value 0..4 within 0.005 of it (0 and 4 are both
// "Thru"), or -1 where the value has no name and the number is shown.
int filterTypeAt(float value) noexcept;

// A number as the 2.4 module prints it, the precision chosen by the value itself before rounding
// (9.9996 prints as 10.000, a negative value always with three decimals). Writes at most capacity
// bytes, terminator included, as snprintf does, and returns what snprintf returns.
int printValue(float value, char* text, std::size_t capacity) noexcept;

// The text of parameter index's value: the value rounded to float first (as the 2.4 module stores
// it), then its name or its number, and with withLabel its unit label after a space ("500.0 ms").
// False, with an empty text where capacity allows, for an index outside the table, a value that
// is not finite, or a text that does not fit in capacity bytes with its terminator.
bool valueToText(int index, double value, char* text, std::size_t capacity, bool withLabel = false) noexcept;

// What valueToText writes, read back: the filter type's names in any case (a name that stands
// for two values gives the first: "Thru" is 0), or a number with or without the unit's label
// ("500", "500ms", "500 MS"), surrounded by blanks or not. Nothing else: no value is given for
// anything but such a text, a number that is not finite, or an index outside the table. Values
// outside the parameter's range are read as they are.
std::optional<double> textToValue(int index, std::string_view text) noexcept;

// A whole text as a finite number in the C locale whatever the user's, blanks around it and a
// leading '+' allowed.
std::optional<double> parseNumber(std::string_view text) noexcept;

} // namespace quadecho
