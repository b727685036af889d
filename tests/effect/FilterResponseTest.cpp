// The filter's computed response against the effect's own output for a steady sine.
#include "core/FilterResponse.h"
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <complex>
#include <numbers>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

constexpr float kRate = 44100.0f;

// Tap 1 alone, wet only and nothing fed back: its output is the line's input delayed. The level is
// the projection onto the sine over the last second, a whole number of periods at whole Hz; the
// sine is quiet enough that the clipper stays linear.
double measuredLevel(float cutoff, float q, float type, double hz)
{
    EffectHost host;
    for (int index : {kTap2Level, kTap3Level, kTap4Level, kTap4Feedback})
        host.setReal(index, 0.0f);
    host.setReal(kFilterCutoff, cutoff), host.setReal(kFilterQ, q), host.setReal(kFilterType, type);
    const std::size_t settle = 22050, frames = 44100;
    Stereo in(settle + frames);
    for (std::size_t i = 0; i < in.size(); ++i)
        in.left[i] = in.right[i] = 0.01f * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * i / kRate));
    const Stereo out = host.render(in);
    std::complex<double> sum;
    for (std::size_t i = settle; i < in.size(); ++i)
        sum += static_cast<double>(out.left[i]) * std::polar(1.0, 2.0 * std::numbers::pi * hz * i / kRate);
    return std::abs(sum);
}

TEST(FilterResponse, MatchesTheEffectsSteadyStateRelativeToThrough)
{
    // Name, cutoff, Q and type set, the cutoff the filter is computed for, the frequencies measured.
    const std::tuple<const char*, float, float, float, float, std::vector<double>> cases[] = {
        {"low-pass", 1000.0f, 0.1f, 1.0f, 1000.0f, {50, 1000, 4000, 15000}},
        {"resonant band-pass", 300.0f, 0.8f, 2.0f, 300.0f, {100, 300, 2000}},
        {"high-pass", 2000.0f, 0.3f, 3.0f, 2000.0f, {200, 1700, 12000}},
        {"between low- and band-pass", 600.0f, 0.5f, 1.25f, 600.0f, {150, 600, 9000}},
        {"capped: 5 kHz runs at 1759 Hz", 5000.0f, 0.1f, 1.0f, 1759.0f, {1000, 5000, 18000}},
    };
    for (const auto& [name, cutoff, q, type, computedCutoff, frequencies] : cases) {
        float values[kNumParams];
        defaultValues(values);
        values[kFilterCutoff] = computedCutoff, values[kFilterQ] = q, values[kFilterType] = type;
        const BlockCoefficients c = computeCoefficients(values, kRate, lineLengthFor(kRate));
        for (double hz : frequencies) {
            const double measured =
                20.0 * std::log10(measuredLevel(cutoff, q, type, hz) / measuredLevel(cutoff, q, 0.0f, hz));
            EXPECT_NEAR(filterResponseDb(c, hz, kRate), measured, 0.01) << name << " at " << hz << " Hz";
        }
    }
}

} // namespace
