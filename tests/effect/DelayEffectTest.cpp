// The signal path as a host drives it: mix and pan, the two callbacks, blocks of every kind, the
// tap delays within the line, the line across rate changes, and changes heard from the next block.
#include "tests/support/EffectHost.h"
#include <gtest/gtest.h>
#include "platform/Arch.h"

#include <tuple>

#if QUADECHO_ARCH_X86
#include <xmmintrin.h>
#endif

namespace {

// Only tap 1 sounds, with no feedback anywhere.
void soloTap1(EffectHost& host)
{
    for (int tap = 1; tap < kNumTaps; ++tap)
        host.setReal(tapParam(tap, TapParam::Level), 0.0f);
    host.setReal(kTap4Feedback, 0.0f);
}

TEST(DelayEffect, DryOnlyAtMixZeroPassesTheInputExactly)
{
    EffectHost host;
    host.setReal(kWetDryMix, 0.0f);
    const Stereo input = noise(20000, 1);
    const Stereo out = host.render(input, {333});
    EXPECT_EQ(out.left, input.left);
    EXPECT_EQ(out.right, input.right);
}

TEST(DelayEffect, PanLawIsLinear)
{
    const float cases[][3] = {{-1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.0f, 0.5f, 0.5f}, {0.5f, 0.25f, 0.75f}};
    for (const auto& [pan, left, right] : cases) {
        SCOPED_TRACE(pan);
        EffectHost host;
        soloTap1(host);
        host.setReal(kTap1Pan, pan);
        // A small impulse stays on the clipper's nearly straight part: y = v - 4/27 v^3.
        const Stereo out = host.render(impulse(9000, 0, 0.02f, 0.02f));
        const float y = 0.02f - 0.148148149f * 0.02f * 0.02f * 0.02f;
        EXPECT_NEAR(out.left[8820], left * y, 1e-7f);
        EXPECT_NEAR(out.right[8820], right * y, 1e-7f);
    }
}

TEST(DelayEffect, ReplacingIgnoresLeftoversAndAccumulatingAddsToThem)
{
    const Stereo input = noise(5000, 2);
    const Stereo clean = EffectHost().render(input, {256});
    const std::pair<float, Callback> cases[] = {
        {kNaN, Callback::Replacing}, {kInf, Callback::Replacing}, {0.25f, Callback::Accumulating}};
    for (const auto& [leftover, callback] : cases) {
        const Stereo out = EffectHost().render(input, {256}, callback, false, Stereo(5000, leftover));
        const float added = callback == Callback::Replacing ? 0.0f : leftover;
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_NEAR(out.left[i], clean.left[i] + added, 1e-6f) << i;
    }
}

TEST(DelayEffect, IdentityAndShapeAsTheHostSeesThem)
{
    EffectHost host;
    const AEffect* e = host.record();
    EXPECT_EQ(std::make_tuple(e->numInputs, e->numOutputs, e->numPrograms, e->numParams, e->uniqueID),
              std::make_tuple(2, 2, 8, 23, 0x56517165)); // 'VQqe'
    EXPECT_TRUE(e->flags & effFlagsCanReplacing);
    EXPECT_EQ((e->flags & effFlagsCanMono) != 0, VST_DEPRECATED_SUPPORT != 0);
    EXPECT_EQ(host.text(effGetEffectName), "VelqQuadecho");
    EXPECT_EQ(host.text(effGetProductString), "Quadecho Delay");
    EXPECT_EQ(host.text(effGetVendorString), "Velmorn Quaddle");
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 65542);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), 1);

    // What the effect announces of its properties; 29 has no value behind it.
    const std::tuple<AudioUnitPropertyID, OSStatus, UInt32> properties[] = {
        {kAudioUnitProperty_InPlaceProcessing, 0, 4},
        {kAudioUnitProperty_ParameterStringFromValue, 0,
         sizeof(void*) == 4 ? 12u : 24u}, // three 32-bit fields or pointers
        {1000, kAudioUnitErr_InvalidProperty, 99}};
    for (const auto& [id, status, size] : properties) {
        UInt32 outSize = 99;
        unsigned char writable = 7;
        EXPECT_EQ(host.effect().GetPropertyInfo(id, 0, 0, outSize, writable), status) << id;
        EXPECT_EQ(std::make_pair(outSize, int(writable)), std::make_pair(size, status == 0 ? 0 : 7)) << id;
    }
    char data[64];
    EXPECT_EQ(host.effect().GetProperty(kAudioUnitProperty_InPlaceProcessing, 0, 0, data),
              kAudioUnitErr_InvalidProperty);
}

TEST(DelayEffect, EmptyNegativeAndBufferlessBlocksChangeNothing)
{
    const Stereo input = noise(3000, 3);
    EffectHost reference, host;
    // Empty blocks between the blocks of 1000 frames.
    EXPECT_EQ(host.render(input, {1000, 0}).left, reference.render(input, {1000}).left);

    float scratch[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    float* buffers[2] = {scratch, scratch + 4};
    float* none[2] = {nullptr, nullptr};
    AEffect* e = host.record();
    for (VstInt32 frames : {0, -1, -1000000, INT32_MIN}) {
        e->processReplacing(e, buffers, buffers, frames);
        e->process(e, buffers, buffers, frames);
    }
    e->processReplacing(e, none, none, 1000);
    e->processReplacing(e, nullptr, buffers, 1000);
    e->processReplacing(e, buffers, nullptr, 1000);
    for (int missing = 0; missing < 4; ++missing) { // any one channel pointer
        float* in[2] = {scratch, scratch + 4};
        float* out[2] = {scratch, scratch + 4};
        (missing < 2 ? in : out)[missing % 2] = nullptr;
        e->processReplacing(e, in, out, 4);
        e->process(e, in, out, 4);
    }
    EXPECT_EQ(std::count(scratch, scratch + 8, 5.0f), 8);

    // And the state is still where the reference left it.
    const Stereo more = noise(2000, 4);
    EXPECT_EQ(host.render(more).left, reference.render(more).left);
}

// Where tap 1 echoes an impulse: its time clamped to the line, the line sized on resume for a
// rate that can size one, and every read inside it after a rate changed without a suspend.
TEST(DelayEffect, TapDelaysInSamples)
{
    struct Case {
        const char* name;
        float lineRate; // set with a suspend and a resume
        float hostRate; // then set without a suspend
        float normalisedTime;
        std::size_t impulseAt, echoAt;
    };
    const Case cases[] = {
        {"1 ms truncates to 44", 44100.0f, 44100.0f, 0.0005f, 0, 44},
        {"taps read across the end of the line", 44100.0f, 44100.0f, 0.0005f, 88190, 88234},
        {"2000 ms is the whole line", 44100.0f, 44100.0f, 1.0f, 0, 88200},
        {"0 ms reads the whole line back", 44100.0f, 44100.0f, 0.0f, 0, 88200},
        {"beyond the table is clamped to the line", 44100.0f, 44100.0f, 1.2f, 0, 88200},
        {"far beyond the table", 8000.0f, 44100.0f, 1e30f, 0, 16000},
        {"a negative time is clamped to the line's start", 44100.0f, 44100.0f, -0.3f, 0, 88200},
        {"not a number takes the default time", 44100.0f, 44100.0f, kNaN, 0, 8820},
        {"the line follows the rate on resume", 96000.0f, 96000.0f, 0.75f, 0, 144000},
        {"a resume at a rate of zero keeps the line", 0.0f, 0.0f, 0.1f, 0, 8820},
        {"a resume at a rate that is not a number", kNaN, kNaN, 0.1f, 0, 8820},
        {"a resume at a rate too high for any line", 1e30f, 1e30f, 0.1f, 0, 8820},
        {"a higher rate without a suspend", 44100.0f, 192000.0f, 1.0f, 0, 88200},
        {"a higher rate, time still inside the line", 44100.0f, 48000.0f, 0.9f, 0, 86400},
        {"a rate that sizes no line computes with the line's", 44100.0f, 1e7f, 1.0f, 0, 88200},
        {"a rate that is not a number", 44100.0f, kNaN, 0.5f, 0, 44100},
        {"a negative rate", 44100.0f, -48000.0f, 0.5f, 0, 44100},
        {"a lower rate in a longer line", 192000.0f, 8000.0f, 1.0f, 0, 16000},
        {"one sample per second", 8000.0f, 1.0f, 1.0f, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectHost host;
        host.setSampleRate(c.lineRate);
        soloTap1(host);
        host.set(kTap1Time, c.normalisedTime);
        host.setSampleRate(c.hostRate, false);
        // Past the end of the line and around again, in blocks that straddle the wrap.
        const Stereo out = host.render(impulse(c.echoAt + 20000, c.impulseAt, 0.5f, 0.5f), {4096, 7, 1});
        EXPECT_EQ(firstNonZero(out.left), c.echoAt);
        EXPECT_TRUE(allFinite(out));
    }
}

TEST(DelayEffect, ResumeAtAnUnchangedRateKeepsTheEchoes)
{
    EffectHost host;
    soloTap1(host);
    host.render(impulse(100, 0, 0.5f, 0.5f));
    host.setSampleRate(44100.0f);
    EXPECT_EQ(firstNonZero(host.render(Stereo(9000)).left), 8720u);
}

// A block's coefficients are reused while nothing changes, yet any change between two blocks is
// heard from the next one on. After a silent block the line and the filter rest as in a fresh
// instance, so one that had the change from the start must sound the same.
TEST(DelayEffect, ChangesBetweenBlocksAreHeardFromTheNextBlock)
{
    using Step = void (*)(EffectHost&);
    const std::tuple<const char*, Step, Step> cases[] = {
        {"the first parameter", [](EffectHost&) {}, [](EffectHost& h) { h.setReal(kTap1Time, 300.0f); }},
        {"the last parameter", [](EffectHost&) {}, [](EffectHost& h) { h.setReal(kMasterFeedback, 150.0f); }},
        {"another program",
         [](EffectHost& h) {
             h.dispatch(effSetProgram, 0, 5);
             h.setReal(kTap2Time, 50.0f);
             h.setReal(kFilterType, 1.0f);
             h.dispatch(effSetProgram, 0, 0);
         },
         [](EffectHost& h) { h.dispatch(effSetProgram, 0, 5); }},
        {"the rate without a resume", [](EffectHost&) {}, [](EffectHost& h) { h.setSampleRate(48000.0f, false); }},
        {"the line sized on resume for the rate already in use (2000 ms: 88200 samples, then 96000)",
         [](EffectHost& h) {
             h.setReal(kTap1Time, 2000.0f);
             h.setSampleRate(48000.0f, false);
         },
         [](EffectHost& h) { h.setSampleRate(48000.0f); }},
    };
    const Stereo input = noise(100000, 21);
    for (const auto& [name, setUp, change] : cases) {
        SCOPED_TRACE(name);
        EffectHost changed, fresh;
        setUp(changed);
        changed.render(Stereo(512));
        change(changed);
        setUp(fresh);
        change(fresh);
        const Stereo got = changed.render(input), expected = fresh.render(input);
        for (std::size_t i = 0; i < input.size(); ++i) {
            ASSERT_NEAR(got.left[i], expected.left[i], 1e-6f) << i;
            ASSERT_NEAR(got.right[i], expected.right[i], 1e-6f) << i;
        }
    }
}

TEST(DelayEffect, FilterStaysStableAtLowRates)
{
    for (float rate : {8000.0f, 11025.0f, 4000.0f, 1000.0f}) {
        SCOPED_TRACE(rate);
        EffectHost host;
        host.setSampleRate(rate);
        host.set(kFilterCutoff, 1.0f); // 8000 Hz
        host.set(kFilterSweep, 1.0f);  // + 7937.5 Hz of sweep
        host.setReal(kFilterType, 2.0f);
        host.setReal(kFilterQ, 1.0f);
        EXPECT_TRUE(allFinite(host.render(noise(20000, 9))));
    }
}

#if QUADECHO_ARCH_X86
// Denormals count as zero while processing (the dry path shows it: at mix 0 it passes the input
// exactly), and the caller's mode comes back afterwards, whichever it was.
TEST(DelayEffect, AudioCallbacksFlushDenormalsAndRestoreTheCallersMode)
{
    constexpr unsigned kExceptionFlags = 0x3f; // sticky: any arithmetic may set them
    constexpr unsigned kFlushModes = 0x8040;   // flush-to-zero, denormals-are-zero
    const unsigned saved = _mm_getcsr();
    for (unsigned callerModes : {0u, kFlushModes}) {
        SCOPED_TRACE(callerModes);
        EffectHost host;
        host.setReal(kWetDryMix, 0.0f);
        _mm_setcsr((saved & ~kFlushModes) | callerModes);
        const unsigned before = _mm_getcsr() & ~kExceptionFlags;
        const Stereo replaced = host.render(Stereo(64, 1e-40f), {64}, Callback::Replacing);
        const Stereo added = host.render(Stereo(64, 1e-40f), {64}, Callback::Accumulating);
        const unsigned after = _mm_getcsr() & ~kExceptionFlags;
        _mm_setcsr(saved);
        EXPECT_EQ(after, before);
        EXPECT_EQ(replaced.left[0], 0.0f);
        EXPECT_EQ(added.right[63], 0.0f);
    }
}
#endif

} // namespace
