#include "State.h"

#include "Identity.h"

#include <bit>

namespace quadecho {

namespace {

void put(std::uint8_t* at, std::uint32_t value) noexcept
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::uint32_t get(const std::uint8_t* at) noexcept
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | at[i];
    return value;
}

} // namespace

void writeState(const float (&values)[kNumParams], std::uint8_t (&bytes)[kStateBytes]) noexcept
{
    put(bytes, static_cast<std::uint32_t>(kUniqueId));
    put(bytes + 4, kStateVersion);
    put(bytes + 8, kNumParams);
    for (int i = 0; i < kNumParams; ++i)
        put(bytes + 12 + 4 * i, std::bit_cast<std::uint32_t>(values[i]));
}

bool readState(const std::uint8_t* bytes, std::size_t size, float (&values)[kNumParams]) noexcept
{
    if (!bytes || size != kStateBytes || get(bytes) != static_cast<std::uint32_t>(kUniqueId) ||
        get(bytes + 4) != kStateVersion || get(bytes + 8) != kNumParams)
        return false;
    float read[kNumParams];
    for (int i = 0; i < kNumParams; ++i) {
        read[i] = std::bit_cast<float>(get(bytes + 12 + 4 * i));
        const ParameterFacts& row = kParameters[i];
        if (!(read[i] >= row.minValue && read[i] <= row.maxValue)) // not a number fails too
            return false;
    }
    for (int i = 0; i < kNumParams; ++i)
        values[i] = read[i];
    return true;
}

} // namespace quadecho
