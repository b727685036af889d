// The settings as a small picture for a mixer strip: the echo pattern above, the filter's response
// below. Every rule of the picture is here; the LV2 adapter hands it to hosts with an inline
// display and the tool writes it as PNG.
//
// Echo band: time runs linearly across the line's length (2 s), one column per 2 s / width. Left
// shares rise from the centre row, right shares fall from it, their length in dB from -60 to 0.
// Each tap with a level above 0 has a marker at its first echo, at least one pixel long on each
// side its pan reaches; the energy of all echoes, repeats included (core/EchoPattern.h), stands
// behind the markers.
// Filter band: the filter's magnitude response from -36 to +12 dB, a row marking 0 dB, over a
// logarithmic axis from 20 Hz to half the rate.
#pragma once

#include "Image.h"
#include "core/Parameters.h"

#include <cstdint>

namespace quadecho::draw {

// The size drawn for a host that has room for w × h: the height follows from the width (half of
// it, for strips that are narrow and tall), within h; widths beyond 4096 are drawn 4096 wide.
// 0 × 0 when either is 0.
struct Size {
    int width, height;
};
Size stripSize(std::uint32_t w, std::uint32_t h) noexcept;

// Rows of a picture height rows tall. Echo band: rows [0, centre) the left shares, the centre row,
// rows (centre, echoRows) the right shares. Filter band: filterRows rows from filterTop (none in a
// picture one row tall).
struct Layout {
    int echoRows, centre, filterTop, filterRows;
};
Layout stripLayout(int height) noexcept;

namespace colour {
constexpr std::uint32_t kEchoBand = opaque(0x1c, 0x1e, 0x21);
constexpr std::uint32_t kCentre = opaque(0x4a, 0x4e, 0x55);
constexpr std::uint32_t kRepeats = opaque(0x2f, 0x6f, 0x8f);
constexpr std::uint32_t kFirstEcho = opaque(0xf2, 0xb8, 0x3c);
constexpr std::uint32_t kFilterBand = opaque(0x26, 0x28, 0x2c);
constexpr std::uint32_t kUnity = opaque(0x3c, 0x40, 0x46);
constexpr std::uint32_t kResponse = opaque(0x7c, 0xd0, 0x8a);
} // namespace colour

// The dB range of each band.
constexpr double kEchoFloorDb = -60.0;
constexpr double kFilterTopDb = 12.0, kFilterFloorDb = -36.0;

// Whether the picture depends on a parameter: on every one but the saturation, since the clipper
// is left out. (Of the wet/dry mix it shows the wet level only.)
constexpr bool shownInStrip(int param) noexcept { return param != kSaturation; }

// The picture of the values (counted as the policy says) at sampleRate, drawn at the image's size.
// Every pixel opaque.
void drawStrip(const float (&values)[kNumParams], HostValues policy, float sampleRate, Image& image) noexcept;

} // namespace quadecho::draw
