// The delay core without a host: the per-block coefficients against their formulas, evaluated
// here in double precision; the filter's steady-state response against its transfer function; the
// frame loops' tap sums and output mix against a plain scalar loop.
#include "base/ParameterIndex.h"
#include "effect/DelayCore.h"
#include "effect/DelayKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace quadecho;

constexpr double kPi = 3.14159265358979323846;

// A fresh program's values, by name.
struct Values {
    float v[kNumParams];
    Values()
    {
        const float times[] = {200.0f, 400.0f, 600.0f, 800.0f}, pans[] = {-1.0f, -1.0f / 3, 1.0f / 3, 1.0f};
        for (int tap = 0; tap < kNumTaps; ++tap) {
            v[tapParam(tap, TapParam::Time)] = times[tap];
            v[tapParam(tap, TapParam::Pan)] = pans[tap];
            v[tapParam(tap, TapParam::Feedback)] = tap == 3 ? 40.0f : 0.0f;
            v[tapParam(tap, TapParam::Level)] = 1.0f;
        }
        v[kWetDryMix] = 1.0f;
        v[kFilterCutoff] = 1000.0f;
        v[kFilterQ] = 0.1f;
        v[kFilterType] = 0.0f;
        v[kFilterSweep] = 0.0f;
        v[kSaturation] = 0.0f;
        v[kMasterFeedback] = 100.0f;
    }
};

BlockCoefficients coefficients(const Values& values, float rate)
{
    return computeCoefficients(values.v, rate, static_cast<std::int32_t>(2.0f * rate));
}

// The filter's frequency and damping factors.
double filterF(double cutoff, double sweep, double rate)
{
    const double effective = std::min(cutoff + 62.5 * std::pow(2.0, 7.0 * sweep) - 62.5, rate / 2);
    return std::min(2.0 * std::sin(kPi * effective / rate), 0.25);
}
double filterD(double q, double f) { return std::min({2.0 * (1.0 - std::pow(q, 0.25)), 2.0 / f - f / 2.0, 2.0}); }

std::map<std::string, double> byName(const BlockCoefficients& c)
{
    std::map<std::string, double> m = {{"dry", c.dry},     {"wet", c.wet},         {"F", c.f},        {"D", c.damping},
                                       {"drive", c.drive}, {"outGain", c.outGain}, {"thru", c.wThru}, {"low", c.wLow},
                                       {"band", c.wBand},  {"high", c.wHigh}};
    for (int i = 0; i < kNumTaps; ++i) {
        const std::string tap = std::to_string(i + 1);
        m["d" + tap] = c.delay[i];
        m["g" + tap] = c.feedback[i];
        m["L" + tap] = c.left[i];
        m["R" + tap] = c.right[i];
    }
    return m;
}

// The clipper, one frame and four side by side: cubic up to the knee at ±1.5, the limit beyond
// it, and -1 for a value that is not a number.
TEST(DelayCore, SoftClipMeetsItsLimitAtTheKnee)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {{0.0f, 0.0f}, {0.5f, 0.48148148f}, {-0.5f, -0.48148148f},
                                             {1.5f, 1.0f}, {1.51f, 1.0f},       {-1.51f, -1.0f},
                                             {inf, 1.0f},  {-inf, -1.0f},       {nan, -1.0f}};
    for (const auto& [v, y] : cases) {
        EXPECT_NEAR(kernel::softClip(v), y, 1e-7f) << v;
        EXPECT_NEAR(kernel::softClip(kernel::splat<kernel::Lanes>(v))[2], y, 1e-7f) << v;
    }
}

TEST(DelayCore, CoefficientsFollowTheirFormulas)
{
    struct Case {
        const char* name;
        float rate;
        std::vector<std::pair<int, float>> set;
        std::vector<std::pair<const char*, double>> expect;
    };
    const double drive5 = 1.0 + 5.0 * 15.0 / 11.0;
    const Case cases[] = {
        {"defaults", 44100.0f, {}, {{"d1", 8820},    {"d2", 17640},   {"d3", 26460},   {"d4", 35280},   {"g1", 0},
                                    {"g2", 0},       {"g3", 0},       {"g4", 0.4},     {"F", 0.142355}, {"D", 0.87532},
                                    {"dry", 0},      {"wet", 1},      {"drive", 1},    {"outGain", 1},  {"thru", 1},
                                    {"low", 0},      {"band", 0},     {"high", 0},     {"L1", 1},       {"R1", 0},
                                    {"L2", 2.0 / 3}, {"R2", 1.0 / 3}, {"L3", 1.0 / 3}, {"R3", 2.0 / 3}, {"L4", 0},
                                    {"R4", 1}}},
        {"delays truncated and clamped into the line",
         48000.0f,
         {{kTap1Time, 1.0f}, {kTap2Time, 10.5f}, {kTap3Time, 5000.0f}, {kTap4Time, -5.0f}},
         {{"d1", 48}, {"d2", 504}, {"d3", 96000}, {"d4", 0}}},
        {"feedback scaled by the master",
         44100.0f,
         {{kMasterFeedback, 200.0f}, {kTap1Feedback, 50.0f}, {kTap2Feedback, 100.0f}, {kTap3Feedback, 12.5f}},
         {{"g1", 1.0}, {"g2", 2.0}, {"g3", 0.25}, {"g4", 0.8}}},
        {"pan and level split",
         44100.0f,
         {{kTap1Pan, -0.5f}, {kTap1Level, 0.5f}, {kTap3Pan, 0.6f}, {kTap3Level, 0.8f}},
         {{"L1", 0.75 * 0.5}, {"R1", 0.25 * 0.5}, {"L3", 0.2 * 0.8}, {"R3", 0.8 * 0.8}}},
        {"mix 0", 44100.0f, {{kWetDryMix, 0.0f}}, {{"dry", 1}, {"wet", 0}}},
        {"mix 0.25", 44100.0f, {{kWetDryMix, 0.25f}}, {{"dry", 1}, {"wet", 0.5}}},
        {"mix 0.5", 44100.0f, {{kWetDryMix, 0.5f}}, {{"dry", 1}, {"wet", 1}}},
        {"mix 0.75", 44100.0f, {{kWetDryMix, 0.75f}}, {{"dry", 0.5}, {"wet", 1}}},
        {"type 0.5", 44100.0f, {{kFilterType, 0.5f}}, {{"thru", 0.5}, {"low", 0.5}, {"band", 0}, {"high", 0}}},
        {"type 1.75", 44100.0f, {{kFilterType, 1.75f}}, {{"thru", 0}, {"low", 0.25}, {"band", 0.75}, {"high", 0}}},
        {"type 2.25", 44100.0f, {{kFilterType, 2.25f}}, {{"thru", 0}, {"low", 0}, {"band", 0.75}, {"high", 0.25}}},
        {"type 3.25", 44100.0f, {{kFilterType, 3.25f}}, {{"thru", 0.25}, {"low", 0}, {"band", 0}, {"high", 0.75}}},
        {"type 4", 44100.0f, {{kFilterType, 4.0f}}, {{"thru", 1}, {"low", 0}, {"band", 0}, {"high", 0}}},
        {"saturation 5", 44100.0f, {{kSaturation, 5.0f}}, {{"drive", drive5}, {"outGain", 1.0 / drive5}}},
        {"saturation 11", 44100.0f, {{kSaturation, 11.0f}}, {{"drive", 16}, {"outGain", 0.125}}},
        {"Q 0.01", 44100.0f, {{kFilterQ, 0.01f}}, {{"D", 1.3675445}}},
        {"Q 1", 44100.0f, {{kFilterQ, 1.0f}}, {{"D", 0}}},
        {"cutoff below the limit of F", 44100.0f, {{kFilterCutoff, 1700.0f}}, {{"F", filterF(1700, 0, 44100)}}},
        {"cutoff above the limit of F", 44100.0f, {{kFilterCutoff, 1800.0f}}, {{"F", 0.25}}},
        {"half a sweep",
         44100.0f,
         {{kFilterCutoff, 50.0f}, {kFilterSweep, 0.5f}},
         {{"F", 2.0 * std::sin(kPi * (50 + 62.5 * std::pow(2.0, 3.5) - 62.5) / 44100)}}},
        {"cutoff at a low rate", 8000.0f, {{kFilterCutoff, 200.0f}}, {{"F", filterF(200, 0, 8000)}}},
        // Without the limit at half the rate F would be about 0 and -0.049.
        {"cutoff at the rate", 8000.0f, {{kFilterCutoff, 8000.0f}}, {{"F", 0.25}, {"D", filterD(0.1, 0.25)}}},
        {"cutoff and full sweep at a low rate",
         8000.0f,
         {{kFilterCutoff, 8000.0f}, {kFilterSweep, 1.0f}},
         {{"F", 0.25}, {"D", filterD(0.1, 0.25)}}},
    };
    // Float results of double formulas; the defaults' F and D are known to 6 digits.
    constexpr double kTolerance = 5e-6;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Values values;
        for (const auto& [index, value] : c.set)
            values.v[index] = value;
        const auto got = byName(coefficients(values, c.rate));
        for (const auto& [name, expected] : c.expect)
            EXPECT_NEAR(got.at(name), expected, kTolerance) << name;
    }
}

std::vector<FrameLoop> frameLoops()
{
    std::vector<FrameLoop> loops = {FrameLoop::Portable};
    if (canRun(FrameLoop::Wide))
        loops.push_back(FrameLoop::Wide);
    return loops;
}

// Steady-state gain from y to the line at whole filter types, in dB, from the recursion
// low[n] = low[n-1] + F band[n-1]; high[n] = y[n] - low[n] - D band[n-1]; band[n] = band[n-1] + F high[n].
double responseDb(int type, double f, double d, double omega)
{
    const std::complex<double> zi = std::polar(1.0, -omega), a = 1.0 - zi;
    const std::complex<double> den = a * a + f * f * zi + d * f * zi * a;
    const std::complex<double> h[] = {1.0, f * f * zi / den, f * a / den, a * a / den};
    return 20.0 * std::log10(std::abs(h[type]));
}

// Tap 1 alone reads the line back to the left output, so that outL[n + d] is what frame n wrote.
TEST(DelayCore, FilterMagnitudeMatchesItsTransferFunction)
{
    struct Case {
        int type;
        float cutoff, q, frequency;
    };
    const Case cases[] = {
        {0, 1000, 0.1f, 4000}, {1, 1000, 0.1f, 200},  {1, 1000, 0.1f, 1000}, {1, 1000, 0.1f, 4000},
        {2, 1000, 0.1f, 200},  {2, 1000, 0.1f, 1000}, {2, 1000, 0.1f, 4000}, {3, 1000, 0.1f, 200},
        {3, 1000, 0.1f, 1000}, {3, 1000, 0.1f, 4000}, {2, 500, 0.5f, 500},   {1, 3000, 0.01f, 2000},
    };
    constexpr float kRate = 48000.0f;
    constexpr std::size_t kSettle = 4800, kWindow = 4800; // whole periods of multiples of 10 Hz
    // Small enough for the clipper's nearly straight part, whose cubic keeps 1 - A²/9 of the
    // fundamental (-1e-4 dB here); its third harmonic falls out of the window.
    constexpr double kAmplitude = 0.01;
    const double clipperDb = 20.0 * std::log10(1.0 - kAmplitude * kAmplitude / 9.0);
    constexpr double kToleranceDb = 2e-4; // F changed by 0.1 % moves most rows by more
    for (FrameLoop loop : frameLoops()) {
        for (const Case& c : cases) {
            for (float milliseconds : {1.0f, 0.1f}) { // 48 samples in stretches, 4 frame by frame
                SCOPED_TRACE(::testing::Message()
                             << "type " << c.type << ", cutoff " << c.cutoff << ", Q " << c.q << ", " << milliseconds
                             << " ms" << (loop == FrameLoop::Wide ? " (wide)" : ""));
                Values values;
                for (int tap = 0; tap < kNumTaps; ++tap) {
                    values.v[tapParam(tap, TapParam::Level)] = tap == 0 ? 1.0f : 0.0f;
                    values.v[tapParam(tap, TapParam::Feedback)] = 0.0f;
                }
                values.v[kTap1Time] = milliseconds;
                values.v[kFilterType] = static_cast<float>(c.type);
                values.v[kFilterCutoff] = c.cutoff;
                values.v[kFilterQ] = c.q;
                const BlockCoefficients k = coefficients(values, kRate);

                const std::size_t frames = kSettle + kWindow + static_cast<std::size_t>(k.delay[0]);
                const double omega = 2.0 * kPi * c.frequency / kRate;
                std::vector<float> in(frames), outL(frames), outR(frames), line(static_cast<std::size_t>(2 * kRate));
                for (std::size_t n = 0; n < frames; ++n)
                    in[n] = static_cast<float>(kAmplitude * std::sin(omega * static_cast<double>(n)));
                std::int32_t w = 0;
                FilterState state{};
                runFrames(loop, k, line.data(), static_cast<std::int32_t>(line.size()), w, state,
                          {in.data(), in.data(), outL.data(), outR.data(), 1, 1}, static_cast<std::uint32_t>(frames),
                          false);

                double s = 0.0, co = 0.0;
                for (std::size_t n = frames - kWindow; n < frames; ++n) {
                    s += outL[n] * std::sin(omega * static_cast<double>(n));
                    co += outL[n] * std::cos(omega * static_cast<double>(n));
                }
                const double measured = 20.0 * std::log10(2.0 * std::hypot(s, co) / kWindow / kAmplitude);
                const double f = filterF(c.cutoff, 0.0, kRate);
                EXPECT_NEAR(measured, clipperDb + responseDb(c.type, f, filterD(c.q, f), omega), kToleranceDb)
                    << c.frequency << " Hz";
            }
        }
    }
}

// One frame as the signal path defines it, in double precision.
struct ReferenceLoop {
    std::vector<double> line;
    std::size_t w = 0;
    double low = 0.0, band = 0.0, high = 0.0;

    void frame(const BlockCoefficients& c, double xL, double xR, float& outL, float& outR, bool accumulate)
    {
        const std::size_t n = line.size();
        double t[kNumTaps], v = (xL + xR) * 0.5, sumL = 0.0, sumR = 0.0;
        for (int i = 0; i < kNumTaps; ++i) {
            t[i] = line[(w + n - static_cast<std::size_t>(c.delay[i])) % n]; // a delay of 0 reads N frames back
            v += c.feedback[i] * t[i];
            sumL += c.left[i] * t[i];
            sumR += c.right[i] * t[i];
        }
        v *= c.drive;
        const double y = (v > 1.5 ? 1.0 : v < -1.5 ? -1.0 : v - 4.0 / 27.0 * v * v * v) * c.outGain;
        low += c.f * band;
        high = y - low - band * c.damping;
        band += c.f * high;
        line[w] = c.wThru * y + c.wLow * low + c.wBand * band + c.wHigh * high;
        outL = static_cast<float>((accumulate ? outL : 0.0) + c.dry * xL + c.wet * sumL);
        outR = static_cast<float>((accumulate ? outR : 0.0) + c.dry * xR + c.wet * sumR);
        w = (w + 1) % n;
    }
};

// Every tap with its own delay, feedback, level and pan, a dry part beside the wet one, and in
// accumulating blocks leftovers in the output: a wrong tap, side or operation shows.
TEST(DelayCore, TapSumsAndOutputMixMatchTheFrameByFrameDefinition)
{
    struct Case {
        const char* name;
        std::int32_t delay[kNumTaps];
        int inStride, outStride;
    };
    const Case cases[] = {
        {"frame by frame (a delay under 16)", {40, 5, 13, 27}, 1, 1},
        {"frame by frame, a delay of 1", {1, 20, 33, 50}, 1, 1},
        {"in stretches (every delay 16 or more)", {16, 23, 37, 60}, 1, 1},
        {"in stretches, a delay of 0 reading the whole line", {30, 0, 17, 45}, 1, 1},
        {"inputs two floats apart", {16, 23, 37, 60}, 2, 1},
        {"outputs two floats apart", {16, 23, 37, 60}, 1, 2},
    };
    // Every stride-th float of a buffer holds the channel.
    const auto spread = [](const std::vector<float>& v, int stride) {
        std::vector<float> s(v.size() * static_cast<std::size_t>(stride));
        for (std::size_t n = 0; n < v.size(); ++n)
            s[n * static_cast<std::size_t>(stride)] = v[n];
        return s;
    };
    constexpr std::int32_t kLine = 61; // short and odd: reads and writes cross its end often
    constexpr std::size_t kFrames = 400;
    const std::uint32_t blocks[] = {150, 3, 247};
    BlockCoefficients c{}; // the delays come from the cases
    const float feedback[] = {0.15f, 0.05f, 0.1f, 0.2f}, left[] = {0.9f, 0.55f, 0.3f, 0.12f},
                right[] = {0.2f, 0.65f, 0.4f, 0.8f};
    std::copy(feedback, feedback + kNumTaps, c.feedback);
    std::copy(left, left + kNumTaps, c.left);
    std::copy(right, right + kNumTaps, c.right);
    c.dry = 0.7f, c.wet = 0.6f, c.f = 0.2f, c.damping = 0.9f, c.drive = 1.3f, c.outGain = 0.8f;
    c.wThru = 0.1f, c.wLow = 0.3f, c.wBand = 0.4f, c.wHigh = 0.2f;

    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    std::vector<float> inL(kFrames), inR(kFrames), oldL(kFrames), oldR(kFrames);
    for (auto* v : {&inL, &inR, &oldL, &oldR})
        std::generate(v->begin(), v->end(), [&] { return sample(random); });

    for (FrameLoop loop : frameLoops()) {
        for (const Case& k : cases) {
            for (bool accumulate : {true, false}) {
                SCOPED_TRACE(::testing::Message() << k.name << (accumulate ? ", accumulating" : ", replacing")
                                                  << (loop == FrameLoop::Wide ? " (wide)" : ""));
                std::copy(std::begin(k.delay), std::end(k.delay), c.delay);
                // Replacing blocks never read the output: not-a-number there must not leak in.
                const std::vector<float> nan(kFrames, std::numeric_limits<float>::quiet_NaN());
                const auto is = static_cast<std::size_t>(k.inStride), os = static_cast<std::size_t>(k.outStride);
                const std::vector<float> sInL = spread(inL, k.inStride), sInR = spread(inR, k.inStride);
                std::vector<float> outL = spread(accumulate ? oldL : nan, k.outStride),
                                   outR = spread(accumulate ? oldR : nan, k.outStride);
                std::vector<float> expectL = oldL, expectR = oldR;
                ReferenceLoop reference{std::vector<double>(kLine)};
                for (std::size_t n = 0; n < kFrames; ++n)
                    reference.frame(c, inL[n], inR[n], expectL[n], expectR[n], accumulate);

                std::vector<float> line(kLine);
                std::int32_t w = 0;
                FilterState state{};
                std::size_t done = 0;
                for (std::uint32_t frames : blocks) {
                    runFrames(loop, c, line.data(), kLine, w, state,
                              {&sInL[done * is], &sInR[done * is], &outL[done * os], &outR[done * os], k.inStride,
                               k.outStride},
                              frames, accumulate);
                    done += frames;
                }
                for (std::size_t n = 0; n < kFrames; ++n) {
                    ASSERT_NEAR(outL[n * os], expectL[n], 1e-6f) << "left, frame " << n;
                    ASSERT_NEAR(outR[n * os], expectR[n], 1e-6f) << "right, frame " << n;
                }
            }
        }
    }
}

} // namespace
