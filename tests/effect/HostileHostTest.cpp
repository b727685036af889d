// A host that sends what no host should: values outside every range, not-a-number and infinite
// values and samples, texts past their limits.
// Whatever it sends, every access stays inside the effect's memory (the sanitizer builds check
// that, and leaks after effClose), texts stay within what a host lends, and the output is finite
// again one line length after the values are back in range.
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <cstring>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

constexpr float kMax = std::numeric_limits<float>::max();
constexpr float kDenormal = std::numeric_limits<float>::denorm_min() * 3.0f;
const float kHostileValues[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, kMax, -kMax, kDenormal, -kDenormal, -0.5f, 1.5f};

// Everything audible and as hard on the loop as the ranges allow: all taps fed back at twice
// unity at 20, 220, 420, 620 ms, an undamped filter half band-pass and half high-pass, full drive
// and sweep.
void busyButInRange(EffectHost& host)
{
    for (VstInt32 i = 0; i < kNumParams; ++i)
        host.set(i, i == kWetDryMix ? 0.5f : i == kFilterCutoff ? 0.7f : 1.0f);
    for (int tap = 0; tap < kNumTaps; ++tap) {
        host.set(tapParam(tap, TapParam::Time), 0.01f + 0.1f * static_cast<float>(tap));
        host.set(tapParam(tap, TapParam::Pan), static_cast<float>(tap) / 3.0f);
    }
    host.setReal(kFilterType, 2.5f);
}

TEST(HostileHost, OutputIsFiniteAgainOneLineLengthAfterValuesAreBackInRange)
{
    const float samples[] = {kNaN, kInf, -kInf, 1e30f, -kMax, kDenormal};
    Stereo input(6000);
    for (std::size_t i = 0; i < input.size(); ++i)
        input.left[i] = samples[i % 6], input.right[i] = samples[(i / 7) % 6];
    // Each parameter through every hostile value, then such samples (in place too).
    for (VstInt32 hostile = 0; hostile <= kNumParams; ++hostile) {
        EffectHost host;
        host.setSampleRate(8000.0f); // a line of 16000 samples
        busyButInRange(host);
        host.render(noise(4000, 1));
        if (hostile < kNumParams) {
            for (float v : kHostileValues) {
                host.set(hostile, v);
                host.render(noise(700, static_cast<unsigned>(hostile)), {256});
            }
        } else {
            host.render(input, {512, 7});
            host.render(input, {64}, Callback::Replacing, true);
            host.render(input, {4096}, Callback::Accumulating, true);
        }
        busyButInRange(host);
        host.render(noise(16000, 2));
        EXPECT_TRUE(allFinite(host.render(noise(16000, 3))))
            << (hostile < kNumParams ? "parameter " + std::to_string(hostile) : "the samples");
    }
    EXPECT_FALSE(allFinite(impulse(2, 1, 0.0f, kNaN))); // the check itself sees one in either channel
}

// Each text a host asks for is terminated within the length the interface allows for it (the
// terminator included), and nothing past that length is touched, whatever the index: program names
// longer than their limit, parameters outside the table. (Long value texts are cut in tests/base.)
TEST(HostileHost, TextsStayWithinTheirLimits)
{
    const std::pair<VstInt32, std::size_t> texts[] = {{effGetParamName, 16},
                                                      {effGetParamLabel, 8},
                                                      {effGetParamDisplay, 24},
                                                      {effGetProgramName, 32},
                                                      {effGetProgramNameIndexed, 32}};
    EffectHost host;
    std::string longName(200, 'n');
    for (VstIntPtr program : {7, 8, -1, 0}) { // switched and renamed, existing or not
        host.dispatch(effSetProgram, 0, program);
        host.dispatch(effSetProgramName, 0, 0, longName.data());
    }
    for (const auto& [opcode, limit] : texts) {
        for (VstInt32 index :
             {INT32_MIN, -1, 0, 7, 8, int(kTap4Time), int(kMasterFeedback), int(kNumParams), 1000, INT32_MAX}) {
            char buffer[256];
            std::memset(buffer, 0x7f, sizeof buffer);
            host.dispatch(opcode, index, 0, buffer);
            // An answer of nothing (a program that does not exist) leaves the buffer alone.
            const bool terminated = buffer[0] == 0x7f || std::memchr(buffer, 0, limit);
            EXPECT_TRUE(terminated && std::all_of(buffer + limit, std::end(buffer), [](char b) { return b == 0x7f; }))
                << "opcode " << opcode << ", index " << index;
        }
    }
}

} // namespace
