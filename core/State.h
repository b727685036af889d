// The 23 values as bytes, for hosts that store an instance's settings in their sessions. One fixed
// layout, all fields big-endian (as in program files), whatever the processor:
//   bytes 0..3    the unique ID 'VQqe' as a tag
//   bytes 4..7    the layout's version, 1
//   bytes 8..11   the count of values, 23
//   bytes 12..103 the real values in parameter order, IEEE-754 single precision
#pragma once

#include "Parameters.h"

#include <cstddef>
#include <cstdint>

namespace quadecho {

constexpr std::uint32_t kStateVersion = 1;
constexpr std::size_t kStateBytes = 12 + 4 * kNumParams;

void writeState(const float (&values)[kNumParams], std::uint8_t (&bytes)[kStateBytes]) noexcept;

// Fills values only when the bytes are a whole state of this layout whose every value is finite
// and inside its parameter's range; false, with values untouched, for anything else.
bool readState(const std::uint8_t* bytes, std::size_t size, float (&values)[kNumParams]) noexcept;

} // namespace quadecho
