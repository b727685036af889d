// Pictures as PNG files, through libpng (Linux builds only: Debian has no libpng for Windows).
#pragma once

#include "draw/Image.h"

#include <string>

namespace qtool {

// The image's 8-bit red, green and blue as an RGB PNG (it is opaque); a ToolError when libpng
// refuses it.
std::string encodePng(const quadecho::draw::Image& image);

} // namespace qtool
