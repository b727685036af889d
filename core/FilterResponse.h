// What the filter does to a steady sine: the line's input over the clipper's output (the output
// gain left out, as it scales every filter type alike), from the one-frame form the blocked filter
// is built from. For pictures and checks, in double precision; nothing on the audio path.
#pragma once

#include "Coefficients.h"

#include <complex>

namespace quadecho {

// H(e^jω) = C·(e^jω·I − A)⁻¹·B + D at ω = 2π·frequency / rate, for the block's F, D and morph.
std::complex<double> filterResponse(const BlockCoefficients& c, double frequency, double sampleRate) noexcept;

// |H| in decibels; a zero of the response gives -infinity.
double filterResponseDb(const BlockCoefficients& c, double frequency, double sampleRate) noexcept;

// The frequency a coefficient F stands for: the inverse of F = 2·sin(π·frequency / rate).
double filterFrequency(double f, double sampleRate) noexcept;

} // namespace quadecho
