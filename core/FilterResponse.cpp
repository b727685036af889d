#include "FilterResponse.h"

#include "FilterBlock.h"

#include <cmath>
#include <numbers>

namespace quadecho {

std::complex<double> filterResponse(const BlockCoefficients& c, double frequency, double sampleRate) noexcept
{
    const FilterFrame one = filterFrame(c.f, c.damping, {c.morph.wThru, c.morph.wLow, c.morph.wBand, c.morph.wHigh});
    const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
    // e^jω − 1 without the cancellation of cos ω − 1 at low frequencies, where A − I is small too.
    const double half = std::sin(0.5 * w);
    const std::complex<double> zLessOne(-2.0 * half * half, std::sin(w));
    // e^jω·I − A = (e^jω − 1)·I − (A − I), inverted as a 2×2 matrix.
    const auto& p = one.stepLessIdentity;
    const std::complex<double> m00 = zLessOne - p[0][0], m01 = -p[0][1], m10 = -p[1][0], m11 = zLessOne - p[1][1];
    const std::complex<double> det = m00 * m11 - m01 * m10;
    const std::complex<double> x0 = (m11 * one.b[0] - m01 * one.b[1]) / det;
    const std::complex<double> x1 = (m00 * one.b[1] - m10 * one.b[0]) / det;
    return one.c[0] * x0 + one.c[1] * x1 + one.d;
}

double filterResponseDb(const BlockCoefficients& c, double frequency, double sampleRate) noexcept
{
    return 20.0 * std::log10(std::abs(filterResponse(c, frequency, sampleRate)));
}

double filterFrequency(double f, double sampleRate) noexcept
{
    return sampleRate / std::numbers::pi * std::asin(0.5 * f);
}

} // namespace quadecho
