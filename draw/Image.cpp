#include "Image.h"

#include <new>

namespace quadecho::draw {

bool Image::resize(int width, int height) noexcept
{
    if (width < 1 || height < 1)
        return false;
    const std::size_t needed = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (needed > capacity) {
        std::unique_ptr<std::uint32_t[]> grown(new (std::nothrow) std::uint32_t[needed]);
        if (!grown)
            return false;
        memory = std::move(grown);
        capacity = needed;
    }
    w = width;
    h = height;
    return true;
}

} // namespace quadecho::draw
