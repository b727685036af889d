#include "EffectHost.h"

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Only tap 1 sounds, with no feedback anywhere.
void soloTap1(EffectHost& host)
{
    for (int tap = 1; tap < 4; ++tap)
        host.setReal(4 * tap + 3, 0.0f);
    host.setReal(14, 0.0f);
}

TEST(DelayEffect, NewRecordAndIdentity)
{
    EffectHost host;
    const AEffect& e = *host.record();
    EXPECT_EQ(e.magic, kEffectMagic);
    EXPECT_EQ(e.numPrograms, 8);
    EXPECT_EQ(e.numParams, 23);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, VST_DEPRECATED_SUPPORT ? 24 : 16);
    EXPECT_EQ(e.uniqueID, 0x56517165);
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(host.text(effGetEffectName), "VelqQuadecho");
    EXPECT_EQ(host.text(effGetVendorString), "Velmorn Quaddle");
    EXPECT_EQ(host.text(effGetProductString), "Quadecho Delay");
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 65542);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(host.effect().Version(), 0x10006);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 0);
}

TEST(DelayEffect, DryOnlyAtMixZeroPassesTheInputExactly)
{
    EffectHost host;
    host.setReal(16, 0.0f);
    const Stereo input = noise(20000, 1);
    const Stereo out = host.render(input, {333});
    EXPECT_EQ(out.left, input.left);
    EXPECT_EQ(out.right, input.right);
}

TEST(DelayEffect, PanLawIsLinear)
{
    struct Case {
        float pan, left, right;
    };
    const Case cases[] = {{-1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.0f, 0.5f, 0.5f}, {0.5f, 0.25f, 0.75f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pan);
        EffectHost host;
        soloTap1(host);
        host.setReal(1, c.pan);
        host.setReal(21, 0.0f);
        // A small impulse stays on the clipper's nearly straight part: y = v - 4/27 v^3.
        const Stereo out = host.render(impulse(9000, 0, 0.02f, 0.02f));
        const float y = 0.02f - 0.148148149f * 0.02f * 0.02f * 0.02f;
        EXPECT_NEAR(out.left[8820], c.left * y, 1e-7f);
        EXPECT_NEAR(out.right[8820], c.right * y, 1e-7f);
    }
}

TEST(DelayEffect, ReplacingIgnoresLeftoversAndAccumulatingAddsToThem)
{
    const Stereo input = noise(5000, 2);
    EffectHost reference;
    const Stereo clean = reference.render(input, {256});
    struct Case {
        float leftover;
        Callback callback;
    };
    const Case cases[] = {{kNaN, Callback::Replacing}, {kInf, Callback::Replacing}, {0.25f, Callback::Accumulating}};
    for (const Case& c : cases) {
        EffectHost host;
        const Stereo out = host.render(input, {256}, c.callback, false, Stereo(5000, c.leftover));
        for (std::size_t i = 0; i < out.size(); ++i) {
            const float expected = c.callback == Callback::Replacing ? clean.left[i] : clean.left[i] + c.leftover;
            ASSERT_NEAR(out.left[i], expected, 1e-6f) << i;
        }
    }
}

TEST(DelayEffect, EmptyNegativeAndBufferlessBlocksChangeNothing)
{
    const Stereo input = noise(3000, 3);
    EffectHost reference, host;
    const Stereo expected = reference.render(input, {1000});

    float scratch[2][4] = {{5, 5, 5, 5}, {5, 5, 5, 5}};
    float* buffers[2] = {scratch[0], scratch[1]};
    float* none[2] = {nullptr, nullptr};
    AEffect* e = host.record();
    int calls = 0;
    // Between every block of 1000 frames, calls that must process nothing.
    const Stereo out = host.render(input, {1000, 0});
    for (VstInt32 frames : {0, -1, -1000000, INT32_MIN}) {
        e->processReplacing(e, buffers, buffers, frames);
        e->process(e, buffers, buffers, frames);
        ++calls;
    }
    e->processReplacing(e, none, none, 1000);
    e->processReplacing(e, nullptr, buffers, 1000);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(scratch[0][0], 5.0f);
    EXPECT_EQ(scratch[1][3], 5.0f);

    // And the state is still where the reference left it.
    const Stereo more = noise(2000, 4);
    EXPECT_EQ(host.render(more).left, reference.render(more).left);
    EXPECT_EQ(calls, 4);
}

TEST(DelayEffect, TapDelaysInSamples)
{
    struct Case {
        const char* name;
        float rate;
        float normalisedTime; // tap 1
        std::size_t echoAt;
    };
    const Case cases[] = {
        {"1 ms truncates to 44", 44100.0f, 0.0005f, 44},
        {"2000 ms is the whole line", 44100.0f, 1.0f, 88200},
        {"0 ms reads the whole line back", 44100.0f, 0.0f, 88200},
        {"beyond the table is clamped to the line", 44100.0f, 1.2f, 88200},
        {"a negative time is clamped to the line's start", 44100.0f, -0.3f, 88200},
        {"not a number takes the default time", 44100.0f, kNaN, 8820},
        {"the line follows the rate on resume", 96000.0f, 0.75f, 144000},
        {"48 kHz", 48000.0f, 1.0f, 96000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectHost host;
        host.setSampleRate(c.rate);
        soloTap1(host);
        host.set(0, c.normalisedTime);
        const Stereo out = host.render(impulse(c.echoAt + 100, 0, 0.5f, 0.5f), {4096});
        EXPECT_EQ(firstNonZero(out.left), c.echoAt);
    }
}

TEST(DelayEffect, WriteIndexWrapsAndTapsReadAcrossTheEnd)
{
    EffectHost host;
    soloTap1(host);
    host.setReal(0, 1.0f); // 44 samples
    Stereo input(88300);
    input.left[88190] = 0.5f;
    const Stereo out = host.render(input, {777});
    EXPECT_EQ(firstNonZero(out.left), 88234u);
}

TEST(DelayEffect, RateChangesThatCannotSizeALineKeepTheOldOne)
{
    const float rates[] = {0.0f, -44100.0f, kNaN, kInf, 0.5f, 1e30f};
    for (float rate : rates) {
        SCOPED_TRACE(rate);
        EffectHost host;
        soloTap1(host);
        host.setSampleRate(rate);
        const Stereo out = host.render(impulse(9000, 0, 0.5f, 0.5f));
        EXPECT_EQ(firstNonZero(out.left), 8820u); // computed with the line's own rate
        EXPECT_TRUE(allFinite(out));
    }
}

TEST(DelayEffect, ResumeAtAnUnchangedRateKeepsTheEchoes)
{
    EffectHost host;
    soloTap1(host);
    host.render(impulse(100, 0, 0.5f, 0.5f));
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 1);
    const Stereo out = host.render(Stereo(9000));
    EXPECT_EQ(firstNonZero(out.left), 8720u);
}

TEST(DelayEffect, FilterStaysStableAtLowRates)
{
    for (float rate : {8000.0f, 11025.0f, 4000.0f, 1000.0f}) {
        SCOPED_TRACE(rate);
        EffectHost host;
        host.setSampleRate(rate);
        host.set(17, 1.0f); // 8000 Hz
        host.set(20, 1.0f); // + 7937.5 Hz of sweep
        host.setReal(19, 2.0f);
        host.setReal(18, 1.0f);
        EXPECT_TRUE(allFinite(host.render(noise(20000, 9), {512})));
    }
}

TEST(DelayEffect, FilterTypeNamesThroughPropertyStringFromValue)
{
    struct Case {
        float value;
        const char* name; // null: no name
    };
    const Case cases[] = {{0.0f, "Thru"},  {-0.004f, "Thru"}, {1.004f, "Low"},  {2.0f, "Band"},   {3.0f, "High"},
                          {4.0f, "Thru"},  {1.5f, nullptr},   {5.0f, nullptr},  {-1.0f, nullptr}, {0.006f, nullptr},
                          {kNaN, nullptr}, {1e30f, nullptr},  {-1e30f, nullptr}};
    EffectHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        AudioUnitParameterStringFromValue request{19, &c.value, reinterpret_cast<CFStringRef>(&host)};
        EXPECT_EQ(host.effect().GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &request), 0);
        if (!c.name) {
            EXPECT_EQ(request.outString, nullptr);
            continue;
        }
        ASSERT_NE(request.outString, nullptr);
        char text[24];
        ASSERT_TRUE(CFStringGetCString(request.outString, text, sizeof text, kCFStringEncodingUTF8));
        EXPECT_STREQ(text, c.name);
        CFRelease(request.outString);
    }
    host.setReal(19, 3.0f);
    AudioUnitParameterStringFromValue current{19, nullptr, nullptr};
    EXPECT_EQ(host.effect().GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &current), 0);
    char text[24] = {};
    CFStringGetCString(current.outString, text, sizeof text, kCFStringEncodingUTF8);
    EXPECT_STREQ(text, "High");
    CFRelease(current.outString);

    const CFStringRef untouched = CFSTR("untouched");
    AudioUnitParameterStringFromValue wrong{18, nullptr, untouched};
    EXPECT_EQ(host.effect().GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &wrong),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(wrong.outString, untouched);
}

TEST(DelayEffect, InPlacePropertyIsAnnouncedButHasNoValue)
{
    EffectHost host;
    UInt32 size = 0;
    unsigned char writable = 9;
    EXPECT_EQ(host.effect().GetPropertyInfo(kAudioUnitProperty_InPlaceProcessing, 0, 0, size, writable), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(writable, 0);
    EXPECT_EQ(host.effect().GetPropertyInfo(kAudioUnitProperty_ParameterStringFromValue, 0, 0, size, writable), 0);
    EXPECT_EQ(size, sizeof(AudioUnitParameterStringFromValue));
    UInt32 value = 77;
    EXPECT_EQ(host.effect().GetProperty(kAudioUnitProperty_InPlaceProcessing, 0, 0, &value),
              kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(host.effect().GetPropertyInfo(1000, 0, 0, size, writable), kAudioUnitErr_InvalidProperty);
}

#if defined(__SSE__) || defined(__x86_64__)
} // namespace
#include <xmmintrin.h>
namespace {
TEST(DelayEffect, AudioCallbacksRestoreTheCallersFloatingPointMode)
{
    EffectHost host;
    const unsigned before = _mm_getcsr();
    host.render(noise(512, 4), {512}, Callback::Replacing);
    host.render(noise(512, 4), {512}, Callback::Accumulating);
    EXPECT_EQ(_mm_getcsr(), before);
}
#endif

} // namespace
