#include "Png.h"

#include "host/ToolError.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace qtool {

std::string encodePng(const quadecho::draw::Image& image)
{
    const int width = image.width(), height = image.height();
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            png_byte* out = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            out[0] = static_cast<png_byte>(pixel >> 16);
            out[1] = static_cast<png_byte>(pixel >> 8);
            out[2] = static_cast<png_byte>(pixel);
        }
    // libpng's simplified interface: no jumps out of its errors.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(png, size, 0, rgb.data(), 0, nullptr)) {
        std::string bytes(size, '\0');
        if (png_image_write_to_memory(&png, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
            bytes.resize(size);
            return bytes;
        }
    }
    const std::string message = png.message;
    png_image_free(&png);
    throw ToolError("cannot encode the picture as PNG: " + message);
}

} // namespace qtool
