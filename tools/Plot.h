// The impulse response drawn as an SVG page: left channel above, right below.
#pragma once

#include "Render.h"

#include <string>

namespace qtool {

// response: one or more channels at rate; title and caption are plain text (escaped here).
std::string impulseResponseSvg(const Planar& response, double rate, const std::string& title,
                               const std::string& caption);

} // namespace qtool
