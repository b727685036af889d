// The LV2 adapter through its descriptor, as an LV2 host drives it: the same audio as the 2.4
// effect for the same real values, the line sized for the host's rate, history forgotten on
// activate, control values held to their ranges.
#include "Lv2Host.h"

#include <gtest/gtest.h>

#include <string>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

using namespace quadecho::lv2;

TEST(Lv2Plugin, DescribesOnePluginAndSizesItsLineForUsableRatesOnly)
{
    ASSERT_NE(lv2_descriptor(0), nullptr);
    EXPECT_EQ(std::string(lv2_descriptor(0)->URI), "urn:velmorn-quaddle:quadecho");
    EXPECT_EQ(lv2_descriptor(1), nullptr);
    // Which rates can size a line is the core's to say (tests/core); a refusal leaves no instance.
    EXPECT_EQ(Lv2Host(0.5).handle, nullptr);
    EXPECT_NE(Lv2Host(1.0).handle, nullptr);
}

// Inside the ranges the output is the 2.4 effect's to the bit, whatever the blocks. (In place or apart
// is the core's: the adapter only passes the host's buffers on.)
TEST(Lv2Plugin, RendersWhatThe24EffectRendersForTheSameRealValues)
{
    using Settings = std::vector<std::pair<int, float>>; // index, normalised
    // clang-format off
    const std::tuple<const char*, float, Settings> cases[] = {
        {"defaults", 44100.0f, {}},
        {"busy: short taps fed back, between band and high pass, saturated", 48000.0f,
         {{kTap1Time, 0.01f}, {kTap1Feedback, 0.6f}, {kFilterType, 0.62f}, {kSaturation, 0.5f}, {kMasterFeedback, 0.9f}}},
        {"an undamped filter, frame by frame", 96000.0f, {{kFilterQ, 1.0f}, {kFilterType, 0.25f}}}};
    // clang-format on
    const Stereo input = noise(20000, 3, 0.7f);
    for (const auto& [name, rate, settings] : cases) {
        EffectHost reference;
        reference.setSampleRate(rate);
        Lv2Host lv2(rate);
        for (const auto& [index, normalised] : settings) {
            reference.set(index, normalised);
            lv2.controls[index] = valueFromLinear(kParameters[index], normalised); // as the 2.4 effect stores it
        }
        const std::vector<int> blocks = {1, 7, 64, 513};
        EXPECT_EQ(firstDifference(reference.render(input, blocks), lv2.render(input, blocks)), "") << name;
    }
}

// What LV2 asks differently from the 2.4 interface: activate forgets the echoes; values outside the
// range are held to it, values that are not finite count as the default (each case of the policy is
// in tests/core; these show the adapter uses it).
TEST(Lv2Plugin, ActivateForgetsAndControlsAreHeldToTheirRanges)
{
    // Taps 2 to 4 (3200, 4800 and 6400 samples) still to come. What reset forgets is in tests/core.
    Lv2Host echoing(8000.0);
    echoing.render(impulse(2000));
    echoing.d->activate(echoing.handle);
    EXPECT_EQ(firstNonZero(echoing.render(Stereo(6000)).left), 6000u) << "an echo survived activate";

    const std::tuple<const char*, int, float, float> cases[] = {
        {"a negative cutoff", kFilterCutoff, -5.0f, 50.0f},
        {"not a number", kMasterFeedback, kNaN, kParameters[kMasterFeedback].defaultValue},
    };
    const Stereo input = noise(72000, 4, 0.5f); // past tap 4's second echo
    for (const auto& [name, index, sent, meant] : cases) {
        Lv2Host hostile(44100.0), tame(44100.0);
        hostile.controls[kFilterType] = tame.controls[kFilterType] = 1.0f; // low-pass: the cutoff is heard
        hostile.controls[index] = sent, tame.controls[index] = meant;
        const Stereo got = hostile.render(input, {300}), expected = tame.render(input, {300});
        EXPECT_EQ(firstDifference(expected, got), "") << name;
    }
}

// Empty blocks write nothing; unconnected buffers are left alone; a port past the last is ignored.
TEST(Lv2Plugin, EmptyBlocksAndMissingBuffersWriteNothing)
{
    Lv2Host lv2(8000.0);
    // Each audio port left unconnected in turn (kAudioPorts: all connected, an empty block).
    for (std::uint32_t missing = 0; missing <= kAudioPorts; ++missing) {
        float in[2] = {0.5f, 0.5f}, out[2] = {0.25f, 0.25f};
        for (std::uint32_t port = 0; port < kAudioPorts; ++port)
            lv2.d->connect_port(lv2.handle, port,
                                port == missing ? nullptr
                                : port < kOutL  ? &in[port]
                                                : &out[port - kOutL]);
        lv2.d->connect_port(lv2.handle, kFirstControl + kNumParams, in); // no such port: ignored
        lv2.d->run(lv2.handle, missing < kAudioPorts ? 1 : 0);
        EXPECT_EQ(out[0], 0.25f) << "port " << missing << " unconnected";
        EXPECT_EQ(out[1], 0.25f) << "port " << missing << " unconnected";
    }
}

} // namespace
