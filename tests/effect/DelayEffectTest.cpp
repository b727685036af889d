// The effect as a host drives it: its identity and properties, blocks without frames or buffers,
// the tap delays within the line, the line across rate changes, changes heard from the next block,
// and the processor's denormal modes during the callbacks.
#include "platform/Arch.h"
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <tuple>

#if QUADECHO_ARCH_X86
#include <xmmintrin.h>
#endif

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

TEST(DelayEffect, IdentityAndPropertiesAsTheHostSeesThem)
{
    EffectHost host;
    const AEffect* e = host.record();
    // Mono only where the deprecated flags are answered. Channels, parameters and the unique ID are
    // what Qtractor's scan reads (tests/cli); names, version and category are in the tool's tests.
    EXPECT_EQ(std::make_tuple(e->numPrograms, e->flags & (effFlagsCanReplacing | effFlagsCanMono)),
              std::make_tuple(8, effFlagsCanReplacing | (VST_DEPRECATED_SUPPORT ? 8 : 0)));

    // 1000 is no property at all.
    const std::tuple<AudioUnitPropertyID, OSStatus, UInt32> properties[] = {
        {kAudioUnitProperty_InPlaceProcessing, 0, 4},
        {kAudioUnitProperty_ParameterStringFromValue, 0, sizeof(void*) == 4 ? 12u : 24u}, // 3 fields or pointers
        {1000, kAudioUnitErr_InvalidProperty, 99}};
    for (const auto& [id, status, size] : properties) {
        UInt32 outSize = 99;
        unsigned char writable = 7;
        EXPECT_EQ(host.effect().GetPropertyInfo(id, 0, 0, outSize, writable), status) << id;
        EXPECT_EQ(std::make_pair(outSize, int(writable)), std::make_pair(size, status == 0 ? 0 : 7)) << id;
    }
    // A fresh instance is silent: line and filter at rest, band-pass too.
    host.setReal(kFilterType, 2.0f);
    EXPECT_EQ(firstNonZero(host.render(Stereo(20000)).left), 20000u);
    // Interleaved frames by their strides; the status is always 0.
    float in[6] = {}, out[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_EQ(host.effect().ProcessCore(in, in + 1, out, out + 1, 2, 2, 3, false), 0);
    EXPECT_EQ(std::count(out, out + 6, 0.0f), 6);
}

TEST(DelayEffect, EmptyNegativeAndBufferlessBlocksChangeNothing)
{
    EffectHost reference, host;
    float scratch[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    for (int row = 0; row < 9; ++row) { // any one channel pointer, either array, or no frames at all
        float* channels[4] = {scratch, scratch + 4, scratch, scratch + 4}; // inputs, then outputs
        if (row < 4)
            channels[row] = nullptr;
        const VstInt32 frames = row == 6 ? 0 : row == 7 ? -1 : row == 8 ? INT32_MIN : 4;
        for (Callback callback : {Callback::Replacing, Callback::Accumulating})
            host.process(row == 4 ? nullptr : channels, row == 5 ? nullptr : channels + 2, frames, callback);
    }
    EXPECT_EQ(std::count(scratch, scratch + 8, 5.0f), 8);
    const Stereo input = noise(3000, 4); // and the state is still where a fresh one starts
    EXPECT_EQ(firstDifference(reference.render(input), host.render(input)), "");
}

// Where tap 1 echoes an impulse: the line sized on resume for a rate that can size one, and every
// read inside it after a rate changed without a suspend. (Clamping the times and repairing the
// values is the core's, tested there.)
TEST(DelayEffect, TapDelaysInSamples)
{
    // The rate set with a suspend and a resume, the rate then set without, tap 1's normalised time,
    // the impulse's frame and the echo's.
    const std::tuple<const char*, float, float, float, std::size_t, std::size_t> cases[] = {
        {"1 ms truncates to 44, read across the end of the line", 44100.0f, 44100.0f, 0.0005f, 88190, 88234},
        {"the line follows the rate on resume", 96000.0f, 96000.0f, 0.75f, 0, 144000},
        {"a resume at a rate that is not a number keeps the line", kNaN, kNaN, 0.1f, 0, 8820},
        {"a higher rate without a suspend", 44100.0f, 192000.0f, 1.0f, 0, 88200},
        {"a lower rate in a longer line", 192000.0f, 8000.0f, 1.0f, 0, 16000},
    };
    for (const auto& [name, lineRate, hostRate, time, impulseAt, echoAt] : cases) {
        EffectHost host;
        host.setSampleRate(lineRate);
        for (VstInt32 index : {kTap2Level, kTap3Level, kTap4Level, kTap4Feedback}) // tap 1 alone
            host.setReal(index, 0.0f);
        host.set(kTap1Time, time);
        host.setSampleRate(hostRate, false);
        // Past the end of the line and around again, in blocks that straddle the wrap.
        const Stereo out = host.render(impulse(echoAt + 20000, impulseAt, 0.5f, 0.5f), {4096, 7, 1});
        EXPECT_TRUE(firstNonZero(out.left) == echoAt && allFinite(out))
            << name << ": first echo at " << firstNonZero(out.left);
    }
}

// A block's coefficients are reused while nothing changes, yet any change between two blocks is
// heard from the next one on. After silence the line and the filter rest as in a fresh instance
// (where writing starts aside), so one that had the change from the start must sound the same.
TEST(DelayEffect, ChangesBetweenBlocksAreHeardFromTheNextBlock)
{
    using Step = void (*)(EffectHost&);
    const std::tuple<const char*, Step, Step> cases[] = {
        {"the first parameter", [](EffectHost&) {}, [](EffectHost& h) { h.setReal(kTap1Time, 300.0f); }},
        {"the last parameter", [](EffectHost&) {}, [](EffectHost& h) { h.setReal(kMasterFeedback, 150.0f); }},
        {"another program chosen, no value set",
         [](EffectHost& h) {
             h.dispatch(effSetProgram, 0, 5);
             h.setReal(kTap1Time, 300.0f);
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
        // The old write index lies past the end of the new line.
        {"a shorter line", [](EffectHost&) {}, [](EffectHost& h) { h.setSampleRate(8000.0f); }},
    };
    const Stereo input = noise(100000, 21);
    for (const auto& [name, setUp, change] : cases) {
        EffectHost changed, fresh;
        setUp(changed);
        changed.render(Stereo(30000));
        change(changed);
        setUp(fresh);
        change(fresh);
        const Stereo got = changed.render(input), expected = fresh.render(input);
        EXPECT_EQ(firstDifference(expected, got), "") << name;
    }
    // At an unchanged rate a suspend and resume keep the echoes: tap 1's is the first.
    EffectHost host;
    host.render(impulse(100, 0, 0.5f, 0.5f));
    host.setSampleRate(44100.0f);
    EXPECT_EQ(firstNonZero(host.render(Stereo(9000)).left), 8720u);
}

#if QUADECHO_ARCH_X86
using Mode = unsigned;
Mode mode() { return _mm_getcsr(); }
void setMode(Mode m) { _mm_setcsr(m); }
constexpr Mode kExceptionFlags = 0x3f; // sticky: any arithmetic may set them
constexpr Mode kFlushModes = 0x8040;   // flush-to-zero, denormals-are-zero
#elif QUADECHO_ARCH_AARCH64
using Mode = unsigned long long;
Mode mode() { return __builtin_aarch64_get_fpcr64(); }
void setMode(Mode m) { __builtin_aarch64_set_fpcr64(m); }
constexpr Mode kExceptionFlags = 0;      // kept apart, in FPSR
constexpr Mode kFlushModes = 1ull << 24; // FZ: denormal inputs and results both
#endif
#if QUADECHO_ARCH_X86 || QUADECHO_ARCH_AARCH64
// Denormals count as zero while processing (at mix 0 the dry path passes the input exactly, so a
// denormal input comes out as zero only then), and the caller's mode comes back afterwards.
TEST(DelayEffect, AudioCallbacksFlushDenormalsAndRestoreTheCallersMode)
{
    const Mode saved = mode();
    for (Mode callerModes : {Mode{0}, kFlushModes}) {
        EffectHost host;
        host.setReal(kWetDryMix, 0.0f);
        const Mode before = (saved & ~kFlushModes & ~kExceptionFlags) | callerModes;
        setMode(before);
        const Stereo out = host.render(Stereo(64, 1e-40f));
        const Mode after = mode() & ~kExceptionFlags;
        setMode(saved);
        EXPECT_TRUE(after == before && out.left[0] == 0.0f) << std::hex << after << " after " << before;
    }
}
#endif

} // namespace
