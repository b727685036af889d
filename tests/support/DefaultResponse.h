// The answer of a fresh instance at 44.1 kHz to an impulse whose mono mix is 0.5 (1 on the left
// alone, or 0.5 on both sides): the clipper takes it to 0.481481, four taps pan it left to right at 200..800 ms, tap 4
// fed back at 40 % through the clipper, so every tap returns every 800 ms, softer each time. Every other frame is
// silent. Values to six digits.
#pragma once

#include <cstddef>
#include <map>
#include <utility>

namespace quadecho::testsupport {

inline const std::map<std::size_t, std::pair<float, float>> kDefaultResponse = {
    {8820, {0.481481f, 0.0f}},        {17640, {0.320988f, 0.160494f}}, {26460, {0.160494f, 0.320988f}},
    {35280, {0.0f, 0.481481f}},       {44100, {0.191534f, 0.0f}},      {52920, {0.127690f, 0.0638448f}},
    {61740, {0.0638448f, 0.127690f}}, {70560, {0.0f, 0.191534f}},      {79380, {0.0765471f, 0.0f}},
};

} // namespace quadecho::testsupport
