// Pixels as Cairo's ARGB32 lays them out: one native-endian 32-bit word per pixel, alpha in the
// top byte, colours premultiplied by it, rows of 4 × width bytes. Kept for whoever shows them
// (a host's inline display, the tool's PNG files); never touched on the audio thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quadecho::draw {

// An opaque colour from its 8-bit red, green and blue.
constexpr std::uint32_t opaque(std::uint32_t red, std::uint32_t green, std::uint32_t blue) noexcept
{
    return 0xff000000u | red << 16 | green << 8 | blue;
}

class Image {
public:
    // width × height pixels, their values left to the drawing. The memory moves only when it
    // holds fewer than that: a smaller size keeps it. False, with the image as it was, when the
    // memory cannot be had. Both sizes at least 1.
    bool resize(int width, int height) noexcept;

    int width() const noexcept { return w; }
    int height() const noexcept { return h; }
    int stride() const noexcept { return 4 * w; } // bytes from one row to the next
    std::uint32_t* pixels() noexcept { return memory.get(); }
    const std::uint32_t* pixels() const noexcept { return memory.get(); }

    std::uint32_t& at(int x, int y) noexcept { return memory[static_cast<std::size_t>(y) * w + x]; }
    std::uint32_t at(int x, int y) const noexcept { return memory[static_cast<std::size_t>(y) * w + x]; }

private:
    std::unique_ptr<std::uint32_t[]> memory;
    std::size_t capacity = 0;
    int w = 0, h = 0;
};

} // namespace quadecho::draw
