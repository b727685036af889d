// The echoes of an impulse, as a picture shows them: where each tap's first echo falls, and the
// energy every side receives over the line's length, first echoes and repeats together. For
// pictures; nothing on the audio path.
#pragma once

#include "Coefficients.h"

#include <cstdint>
#include <span>

namespace quadecho {

// The frames after its input at which a tap is heard: a time of 0 reads the whole line.
inline std::int32_t echoFrames(const BlockCoefficients& c, int tap, std::int32_t lineLength) noexcept
{
    return c.delay[tap] > 0 ? c.delay[tap] : lineLength;
}

// The column of `columns` equal ones spanning the line (0 to lineLength frames) that holds a
// tap's first echo; an echo at the line's very end falls in the last.
int echoColumn(const BlockCoefficients& c, int tap, std::int32_t lineLength, int columns) noexcept;

// Energy of one column, 1 being a full-scale echo of a full-scale impulse (0 dB).
struct SideEnergy {
    double left, right;
};

// The widest grid echoPattern computes.
constexpr int kMostEchoColumns = 4096;

// An impulse on both inputs through the taps: each tap's first echo with its left and right gains
// (level, pan, wet); each pass back through the loop scaled by the tap's feedback (the master's
// share included) and by the filter's gain at the frequency it runs at, the clipper left out.
// Computed on a grid at least 2048 fine steps across whatever the settings, energy carried
// forward step by step rather than echo by echo: the cost is the same for a tap read back within
// a step and for a loop that gains. Energies are held at 10^4 (+40 dB). columns: its size is the
// grid's, 1 to kMostEchoColumns; a larger span is left as it was.
void echoPattern(const BlockCoefficients& c, double sampleRate, std::int32_t lineLength,
                 std::span<SideEnergy> columns) noexcept;

} // namespace quadecho
