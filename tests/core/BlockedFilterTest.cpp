// The filter eight frames at a time against the recursion one frame at a time, in every build of
// the frame loop, over a grid of F, D and morph types on both sides of the damping threshold. The
// differential tolerance is 1e-4 of the signal's peak; damped filters keep to 4e-7 of it.
#include "core/Coefficients.h"
#include "core/RunFrames.h"
#include "core/Kernel.h"
#include "core/Parameters.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace quadecho::testhost;

namespace {

using namespace quadecho;

constexpr double kDifferential = 1e-4;
constexpr double kDamped = 4e-7;

// Coefficients with the filter set directly; every tap at `delay`, nothing fed back, the first
// tap alone heard on the left at full level.
BlockCoefficients coefficients(float f, float damping, float type, float outGain = 1.0f, std::int32_t delay = 64)
{
    float v[kNumParams] = {};
    v[kFilterType] = type;
    v[kFilterQ] = 0.5f;
    v[kFilterCutoff] = 1000.0f;
    v[kWetDryMix] = 1.0f;
    BlockCoefficients c = computeCoefficients(v, 44100.0f, lineLengthFor(44100.0f));
    for (int i = 0; i < kNumTaps; ++i)
        c.delay[i] = delay, c.feedback[i] = 0.0f, c.left[i] = 0.0f, c.right[i] = 0.0f;
    c.left[0] = 1.0f;
    c.f = f, c.damping = damping;
    c.outGain = outGain;
    formFilterBlock(c.filter, f, damping, c.morph, c.outGain);
    formLoopGains(c, lineLengthFor(44100.0f));
    return c;
}

struct Render {
    std::vector<float> left;
    FilterState state;
};

Render render(LoopBuild loop, const BlockCoefficients& c, const std::vector<float>& x, std::int32_t line,
              std::uint32_t block)
{
    std::vector<float> samples(static_cast<std::size_t>(line)), right(x.size());
    Render r{std::vector<float>(x.size()), {}};
    DelayLine delayLine{samples.data(), line, 0, 44100.0f};
    for (std::size_t done = 0; done < x.size(); done += block) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(block, x.size() - done));
        onAudioThread([&] {
            runFrames(loop, c, delayLine, r.state, {{&x[done], &x[done], &r.left[done], &right[done], 1, 1}, n, false});
        });
    }
    return r;
}

// The larger of the signal's peaks (the loop input's and the output's), and the largest distance
// between the two renders as a fraction of it.
struct Apart {
    double peak, fraction;
};

Apart apart(const std::vector<float>& a, const std::vector<float>& b, double inputPeak)
{
    double peak = inputPeak, most = 0.0;
    for (std::size_t n = 0; n < a.size(); ++n) {
        peak = std::max(peak, std::fabs(double(b[n])));
        most = std::max(most, std::fabs(double(a[n]) - b[n]));
    }
    return {peak, most / peak};
}

std::vector<LoopBuild> loopsHere()
{
    std::vector<LoopBuild> loops;
    for (LoopBuild loop : {LoopBuild::Portable, LoopBuild::Avx2Fma})
        if (canRun(loop))
            loops.push_back(loop);
    return loops;
}

// 10^6 frames of noise through the filter and the line and back out, blocks of 4096 split into
// stretches where the line wraps: each row once with the blocked form, once without.
TEST(BlockedFilter, MatchesTheRecursion)
{
    if (!kBlockedFilterBuilt)
        GTEST_SKIP() << "this processor runs the filter frame by frame";
    // Near the threshold F·D = 1e-4, on both sides, then damped: F and D.
    const std::pair<float, float> rows[] = {{0.005f, 0.01f},  {0.005f, 0.05f},       {0.05f, 0.0015f}, {0.05f, 0.004f},
                                            {0.25f, 0.0003f}, {0.25f, 0.001f},       {0.005f, 0.5f},   {0.05f, 1.0f},
                                            {0.25f, 2.0f},    {0.142355f, 0.875317f}};
    const std::vector<float> x = Noise(11, 1.0f).samples(1000000);
    // The output gain of a strong drive: the blocked form folds it into its input coefficients.
    constexpr float kOutGain = 0.25f;
    const double inputPeak = kernel::softClip(1.0f) * kOutGain;
    for (LoopBuild loop : loopsHere()) {
        for (const auto& [f, damping] : rows) {
            for (const float type : {1.0f, 2.0f, 3.0f, 3.5f}) {
                const BlockCoefficients blocked = coefficients(f, damping, type, kOutGain);
                BlockCoefficients recursive = blocked;
                recursive.filter.enabled = false;
                const Render a = render(loop, blocked, x, 4099, 4096), b = render(loop, recursive, x, 4099, 4096);
                const Apart d = apart(a.left, b.left, inputPeak);
                // Below the threshold the recursion runs, bit for bit.
                const double limit = f * damping < 1e-4f ? 0.0 : damping >= 0.5f ? kDamped : kDifferential;
                EXPECT_LE(d.fraction, limit) << "F " << f << ", D " << damping << ", type " << type;
                // The state it leaves, high included, is the recursion's.
                for (const auto& [got, want] :
                     {std::pair{a.state.low, b.state.low}, {a.state.band, b.state.band}, {a.state.high, b.state.high}})
                    EXPECT_NEAR(got, want, limit * d.peak) << "F " << f << ", D " << damping << ", type " << type;
            }
        }
    }
}

} // namespace
