// What the fuzz targets decode their inputs with: bytes front to back, zero past the end, so that
// any input decodes, and alike on every processor (the corpora are replayed on all of them).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace quadecho::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : next(data), end(data + size) {}

    bool done() const { return next == end; }
    std::uint8_t byte() { return next != end ? *next++ : 0; }
    std::uint32_t u32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(byte()) << (8 * i);
        return v;
    }
    std::uint64_t u64() { return u32() | (std::uint64_t(u32()) << 32); }
    double f64() { return std::bit_cast<double>(u64()); }
    template <typename T, std::size_t N> T pick(const T (&choices)[N]) { return choices[byte() % N]; }

private:
    const std::uint8_t* next;
    const std::uint8_t* end;
};

} // namespace quadecho::fuzz
