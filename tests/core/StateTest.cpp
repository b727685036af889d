// The values as state bytes: the exact layout hosts store, and every refusal on reading.
#include "core/State.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace quadecho;

using Bytes = std::vector<std::uint8_t>;

Bytes stateOf(const float (&values)[kNumParams])
{
    std::uint8_t bytes[kStateBytes];
    writeState(values, bytes);
    return Bytes(bytes, bytes + kStateBytes);
}

std::string hex(const Bytes& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text += "0123456789abcdef"[bytes[i] >> 4] + std::string(1, "0123456789abcdef"[bytes[i] & 15]) +
                (i % 4 == 3 && i + 1 < bytes.size() ? " " : "");
    return text;
}

void putFloat(Bytes& bytes, int index, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes[12 + 4 * index + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

// Big-endian on every processor: the tag, version 1, 23 values, then the defaults' bits.
TEST(State, DefaultsAreTheseBytes)
{
    float values[kNumParams];
    defaultValues(values);
    EXPECT_EQ(hex(stateOf(values)), "56517165 00000001 00000017 43480000 bf800000 00000000 3f800000 43c80000 "
                                    "beaaaaaa 00000000 3f800000 44160000 3eaaaaac 00000000 3f800000 44480000 "
                                    "3f800000 42200000 3f800000 3f800000 447a0000 3dcccccd 00000000 00000000 "
                                    "00000000 42c80000");
}

// Each fault alone, on an otherwise good state; a refused state changes no value.
TEST(State, RefusesAnythingButAWholeStateOfInRangeValues)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const std::pair<const char*, std::function<void(Bytes&)>> faults[] = {
        {"cut short", [](Bytes& b) { b.pop_back(); }},
        {"one byte too long", [](Bytes& b) { b.push_back(0); }},
        {"empty", [](Bytes& b) { b.clear(); }},
        {"another tag", [](Bytes& b) { b[3] = 'f'; }},
        {"version 2", [](Bytes& b) { b[7] = 2; }},
        {"version 1 in little-endian", [](Bytes& b) { b[4] = 1, b[7] = 0; }},
        {"22 values", [](Bytes& b) { b[11] = 22; }},
        {"a value not a number", [](Bytes& b) { putFloat(b, kFilterQ, kNaN); }},
        {"a value infinite", [](Bytes& b) { putFloat(b, kTap1Time, std::numeric_limits<float>::infinity()); }},
        {"a value below its range", [](Bytes& b) { putFloat(b, kFilterCutoff, 49.99f); }},
        {"a value above its range", [](Bytes& b) { putFloat(b, kMasterFeedback, 200.01f); }},
        {"the last value above its range", [](Bytes& b) { putFloat(b, kNumParams - 1, 1000.0f); }},
    };
    float defaults[kNumParams];
    defaultValues(defaults);
    for (const auto& [name, fault] : faults) {
        Bytes bytes = stateOf(defaults);
        fault(bytes);
        float values[kNumParams];
        std::fill(std::begin(values), std::end(values), -7.0f);
        EXPECT_FALSE(readState(bytes.data(), bytes.size(), values)) << name;
        EXPECT_EQ(std::count(std::begin(values), std::end(values), -7.0f), kNumParams) << name << ": half applied";
    }
    float values[kNumParams];
    EXPECT_FALSE(readState(nullptr, kStateBytes, values)) << "no bytes";

    // The ends of every range are in it, and read back to the bit.
    float ends[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        ends[i] = i % 2 ? kParameters[i].minValue : kParameters[i].maxValue;
    const Bytes bytes = stateOf(ends);
    ASSERT_TRUE(readState(bytes.data(), bytes.size(), values));
    EXPECT_EQ(stateOf(values), bytes);
}

} // namespace
