// The tool's pictures as SVG pages: the impulse response (left channel above, right below) and
// the filter's magnitude response.
#pragma once

#include "Render.h"
#include "core/Coefficients.h"

#include <string>

namespace qtool {

// Decibels show the echoes' decay down to -80 dB; the linear view shows their signs and shapes.
enum class Scale { Decibels, Linear };

// response: one or more channels at rate, an impulse's response scaled so that 1 is 0 dB; title and
// caption are plain text (escaped here, as is every text below).
std::string impulseResponseSvg(const Planar& response, double rate, const std::string& title,
                               const std::string& caption, Scale scale = Scale::Decibels);

// Where the filter runs and where the settings ask it to; note says why they differ (empty when
// they do not).
struct FilterMarks {
    double runningHz, setHz;
    std::string note;
};

// The block's filter in dB over a logarithmic frequency axis from 20 Hz to half the rate.
std::string filterResponseSvg(const quadecho::BlockCoefficients& filter, double rate, const FilterMarks& marks,
                              const std::string& title, const std::string& caption);

} // namespace qtool
