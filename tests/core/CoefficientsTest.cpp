// The delay core without a host: the per-block coefficients against values worked out by hand, and
// the frame loops (the clipper's knee included) against one frame of the signal path in double
// precision.
#include "core/Coefficients.h"
#include "core/RunFrames.h"
#include "core/Kernel.h"
#include "core/Parameters.h"
#include "platform/Arch.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace quadecho::testhost;

namespace {

using namespace quadecho;

// The clipper takes a value that is not a number for the lower limit, one frame and four side by
// side (maxps answers its second operand when either is not a number).
TEST(Core, SoftClipTakesNotANumberForTheLowerLimit)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(std::pair(kernel::softClip(nan), kernel::softClip(kernel::splat<kernel::Lanes>(nan))[2]),
              std::pair(-1.0f, -1.0f));
}

// What a row expects, by name; a field left empty is not checked. Per tap: index 0 is tap 1.
struct Expected {
    using Maybe = std::optional<double>;
    using PerTap = Maybe[kNumTaps];
    Maybe f{}, damping{}, dry{}, wet{}, drive{}, outGain{}, thru{}, low{}, band{}, high{};
    PerTap delay{}, feedback{}, left{}, right{};
};

TEST(Core, Coefficients)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, float>> set;
        Expected expect;
        float rate = 44100.0f;
    };
    const Case cases[] = {
        {"defaults",
         {},
         {.f = 0.142355, .damping = 0.875317, .delay = {8820, {}, {}, 35280}, .feedback = {{}, {}, {}, 0.4}}},
        {"defaults: pans, mix and clipper",
         {},
         {.dry = 0, .wet = 1, .drive = 1, .outGain = 1, .left = {{}, 2.0 / 3}, .right = {{}, {}, 2.0 / 3}}},
        {"delays clamped into the line", {{kTap3Time, 5000.0f}, {kTap4Time, -5.0f}}, {.delay = {{}, {}, 88200, 0}}},
        {"feedback scaled by the master",
         {{kMasterFeedback, 200.0f}, {kTap1Feedback, 50.0f}},
         {.feedback = {1, {}, {}, 0.8}}},
        {"pan and level", {{kTap1Pan, -0.5f}, {kTap1Level, 0.5f}}, {.left = {0.375}, .right = {0.125}}},
        {"mix 0.25", {{kWetDryMix, 0.25f}}, {.dry = 1, .wet = 0.5}},
        {"type 0.5", {{kFilterType, 0.5f}}, {.thru = 0.5, .low = 0.5, .band = 0, .high = 0}},
        {"type 1.005", {{kFilterType, 1.005f}}, {.thru = 0, .low = 0.995, .band = 0.005}},
        {"type 1.75", {{kFilterType, 1.75f}}, {.thru = 0, .low = 0.25, .band = 0.75, .high = 0}},
        {"type 2.25", {{kFilterType, 2.25f}}, {.thru = 0, .low = 0, .band = 0.75, .high = 0.25}},
        {"type 3.25", {{kFilterType, 3.25f}}, {.thru = 0.25, .low = 0, .band = 0, .high = 0.75}},
        {"saturation 5", {{kSaturation, 5.0f}}, {.drive = 7.818182, .outGain = 0.127907}},
        {"saturation 11", {{kSaturation, 11.0f}}, {.drive = 16, .outGain = 0.125}},
        {"Q 1: no damping", {{kFilterQ, 1.0f}}, {.damping = 0}},
        {"only the cutoff changed: 500 Hz", {{kFilterCutoff, 500.0f}}, {.f = 0.0712229}},
        {"48 kHz", {}, {.f = 0.1308063}, 48000.0f},
        {"half a sweep: 694.6 Hz", {{kFilterCutoff, 50.0f}, {kFilterSweep, 0.5f}}, {.f = 0.0989243}},
        // Past half the rate the sine would turn back: F would be about 0.
        {"cutoff at the rate", {{kFilterCutoff, 8000.0f}}, {.f = 0.25}, 8000.0f},
    };
    CoefficientUpdater updater;
    for (const Case& k : cases) {
        float v[kNumParams];
        defaultValues(v);
        for (const auto& [index, value] : k.set)
            v[index] = value;
        const std::int32_t line = lineLengthFor(k.rate);
        const BlockCoefficients c = computeCoefficients(v, k.rate, line);
        // Updated in place from the row before, the coefficients are the same as computed afresh.
        const BlockCoefficients& chained = updater.update(v, k.rate, line);
        const auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
        const FilterBlock &x = c.filter, &y = chained.filter;
        const std::pair<const char*, bool> kept[] = {
            {"F", same(c.f, chained.f)},
            {"D", same(c.damping, chained.damping)},
            {"morph", same(c.morph, chained.morph)},
            {"delays", same(c.delay, chained.delay)},
            {"blocked filter's use", x.enabled == y.enabled},
            {"blocked filter's coefficients",
             !x.enabled || (same(x.fromLow, y.fromLow) && same(x.fromBand, y.fromBand) &&
                            same(x.response, y.response) && same(x.inputToLow, y.inputToLow) &&
                            same(x.inputToBand, y.inputToBand) && same(x.powerFromLow, y.powerFromLow) &&
                            same(x.powerFromBand, y.powerFromBand) && same(x.highResponse, y.highResponse))},
        };
        for (const auto& [name, equal] : kept)
            EXPECT_TRUE(equal) << k.name << ": " << name << " updated in place differs from computed afresh";

        const Expected& e = k.expect;
        std::vector<std::tuple<std::string, Expected::Maybe, double>> checks = {{"F", e.f, c.f},
                                                                                {"D", e.damping, c.damping},
                                                                                {"dry", e.dry, c.dry},
                                                                                {"wet", e.wet, c.wet},
                                                                                {"drive", e.drive, c.drive},
                                                                                {"outGain", e.outGain, c.outGain},
                                                                                {"thru", e.thru, c.morph.wThru},
                                                                                {"low", e.low, c.morph.wLow},
                                                                                {"band", e.band, c.morph.wBand},
                                                                                {"high", e.high, c.morph.wHigh}};
        for (int i = 0; i < kNumTaps; ++i) {
            const std::string tap = "tap " + std::to_string(i + 1) + "'s ";
            checks.insert(checks.end(), {{tap + "delay", e.delay[i], c.delay[i]},
                                         {tap + "feedback", e.feedback[i], c.feedback[i]},
                                         {tap + "left", e.left[i], c.left[i]},
                                         {tap + "right", e.right[i], c.right[i]}});
        }
        for (const auto& [name, expected, got] : checks) {
            if (expected) {
                EXPECT_NEAR(got, *expected, 2e-6) << k.name << ": " << name;
            }
        }
    }
    // Values the caller knows to be the last block's are not compared: the last row's stay.
    float v[kNumParams];
    defaultValues(v);
    v[kWetDryMix] = 0.2f;
    EXPECT_EQ(updater.update(v, 8000.0f, lineLengthFor(8000.0f), KnownValues::SameAsLastBlock).wet, 1.0f);
    EXPECT_EQ(updater.update(v, 8000.0f, lineLengthFor(8000.0f)).wet, 0.4f);
}

// One frame as the signal path defines it, in double precision: reads of every tap (a delay of 0
// reads the whole line back), mono input plus feedback through the clipper, the filter, the morph
// into the line, and each side's dry input and wet taps, added to the buffer when accumulating.
struct ReferenceLoop {
    std::vector<double> line;
    std::size_t w = 0;
    double low = 0.0, band = 0.0, high = 0.0;

    void frame(const BlockCoefficients& c, double xL, double xR, float& outL, float& outR, bool accumulate)
    {
        const std::size_t n = line.size();
        double t[kNumTaps], v = (xL + xR) * 0.5, sumL = 0.0, sumR = 0.0;
        for (int i = 0; i < kNumTaps; ++i) {
            t[i] = line[(w + n - static_cast<std::size_t>(c.delay[i])) % n];
            v += c.feedback[i] * t[i];
            sumL += c.left[i] * t[i];
            sumR += c.right[i] * t[i];
        }
        v *= c.drive;
        const double y = (v > 1.5 ? 1.0 : v < -1.5 ? -1.0 : v - 4.0 / 27.0 * v * v * v) * c.outGain;
        low += c.f * band;
        high = y - low - band * c.damping;
        band += c.f * high;
        line[w] = c.morph.wThru * y + c.morph.wLow * low + c.morph.wBand * band + c.morph.wHigh * high;
        outL = static_cast<float>((accumulate ? outL : 0.0) + c.dry * xL + c.wet * sumL);
        outR = static_cast<float>((accumulate ? outR : 0.0) + c.dry * xR + c.wet * sumR);
        w = (w + 1) % n;
    }
};

// Every tap with its own delay, feedback, level and pan, every filter output in the morph, a dry
// part beside the wet one and leftovers in accumulating blocks: a wrong tap, side or operation shows.
TEST(Core, FrameLoopsMatchOneFrameAtATime)
{
    const std::tuple<const char*, std::array<std::int32_t, kNumTaps>, int, int> cases[] = {
        {"frame by frame (a delay under 16)", {40, 5, 13, 27}, 1, 1},
        {"frame by frame, a delay of 1", {1, 20, 33, 50}, 1, 1},
        {"in stretches (every delay 16 or more)", {16, 23, 37, 60}, 1, 1},
        {"in stretches of whole chunks (every delay 64 or more)", {64, 70, 100, 65}, 1, 1},
        {"in stretches, a delay of 0 reading the whole line", {30, 0, 17, 45}, 1, 1},
        {"inputs two floats apart", {16, 23, 37, 60}, 2, 1},
        {"outputs two floats apart", {16, 23, 37, 60}, 1, 2},
    };
    constexpr std::int32_t kLine = 131; // short and odd: reads and writes cross its end often
    constexpr std::size_t kFrames = 400;
    const std::uint32_t blocks[] = {150, 3, 247};
    BlockCoefficients c{}; // the delays come from the rows
    const float gains[3][kNumTaps] = {
        {0.15f, 0.05f, 0.1f, 0.2f}, {0.9f, 0.55f, 0.3f, 0.12f}, {0.2f, 0.65f, 0.4f, 0.8f}};
    for (int i = 0; i < kNumTaps; ++i)
        c.feedback[i] = gains[0][i], c.left[i] = gains[1][i], c.right[i] = gains[2][i];
    c.dry = 0.7f, c.wet = 0.6f, c.f = 0.2f, c.damping = 0.9f, c.drive = 5.0f,
    c.outGain = 0.8f; // the loop input often past the knee
    c.morph = {0.1f, 0.3f, 0.4f, 0.2f};
    for (const auto& [loop, blocked] : {std::pair{LoopBuild::Portable, false},
                                        {LoopBuild::Portable, true},
                                        {LoopBuild::Avx2Fma, false},
                                        {LoopBuild::Avx2Fma, true}}) {
        if (!canRun(loop))
            continue;
        // The filter eight frames at a time wherever the delays allow, or frame by frame.
        if (blocked)
            formFilterBlock(c.filter, c.f, c.damping, c.morph, c.outGain);
        else
            c.filter.enabled = false;
        for (const auto& [name, delay, inStride, outStride] : cases) {
            for (bool accumulate : {true, false}) {
                std::copy(delay.begin(), delay.end(), c.delay);
                formLoopGains(c, kLine);
                // Every stride-th float holds the channel. Replacing blocks never read the output:
                // not-a-number there must not leak in.
                const auto is = static_cast<std::size_t>(inStride), os = static_cast<std::size_t>(outStride);
                Noise noise(7, 0.5f);
                const std::vector<float> inL = noise.samples(kFrames * is), inR = noise.samples(kFrames * is);
                const std::vector<float> nan(kFrames * os, std::numeric_limits<float>::quiet_NaN());
                std::vector<float> outL = accumulate ? noise.samples(kFrames * os) : nan,
                                   outR = accumulate ? noise.samples(kFrames * os) : nan, expectL = outL,
                                   expectR = outR;
                ReferenceLoop reference{std::vector<double>(kLine)};
                for (std::size_t n = 0; n < kFrames; ++n)
                    reference.frame(c, inL[n * is], inR[n * is], expectL[n * os], expectR[n * os], accumulate);
                std::vector<float> samples(kLine);
                DelayLine line{samples.data(), kLine, 0, 44100.0f};
                FilterState state{};
                for (std::size_t b = 0, done = 0; b < std::size(blocks); done += blocks[b++])
                    onAudioThread([&] {
                        runFrames(loop, c, line, state,
                                  {{&inL[done * is], &inR[done * is], &outL[done * os], &outR[done * os], inStride,
                                    outStride},
                                   blocks[b],
                                   accumulate});
                    });
                for (std::size_t n = 0; n < kFrames; ++n)
                    for (const auto& [side, got, expected] : {std::tuple{"left", outL[n * os], expectL[n * os]},
                                                              std::tuple{"right", outR[n * os], expectR[n * os]}})
                        ASSERT_NEAR(got, expected, 1e-6f)
                            << name << (accumulate ? ", accumulating" : ", replacing")
                            << (loop == LoopBuild::Avx2Fma ? " (AVX2+FMA)" : "") << (blocked ? " (blocked)" : "")
                            << ", " << side << " frame " << n;
            }
        }
    }
}

} // namespace
