// Two threads as a host runs them: an audio thread processes blocks while a control thread sets
// parameters, switches, renames and names programs, changes the rate without a suspend and reads
// display texts. In the thread sanitizer build any data race between the two fails the test; in
// every build the output stays finite.
#include "tests/support/EffectHost.h"
#include <gtest/gtest.h>
#include "platform/Arch.h"

#include <atomic>
#include <thread>

namespace {

TEST(Stress, AudioThreadAndControlThreadTogether)
{
#if QUADECHO_ARCH_I686
    GTEST_SKIP() << "threads hang under qemu-i386, where the 32-bit x86 tests run";
#endif
    constexpr VstInt32 kFrames = 64;
    EffectHost host;
    AEffect* e = host.record();
    std::atomic<bool> audioDone{false};
    bool finite = true;

    std::thread audio([&] {
        Stereo input(kFrames, 0.25f), output(kFrames);
        float* in[2] = {input.left.data(), input.right.data()};
        float* out[2] = {output.left.data(), output.right.data()};
        for (int block = 0; block < 4000; ++block) {
            input.left[0] = block % 2 ? 0.9f : -0.9f;
            e->processReplacing(e, in, out, kFrames);
            finite = finite && allFinite(output);
        }
        audioDone.store(true);
    });

    const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f};
    char text[256];
    for (int round = 0; round == 0 || !audioDone.load(); ++round) {
        const VstInt32 index = round % kNumParams;
        e->setParameter(e, index, static_cast<float>(round % 101) / 100.0f);
        e->getParameter(e, index);
        host.dispatch(effGetParamDisplay, index, 0, text);
        if (round % 7 == 0)
            host.dispatch(effSetProgram, 0, (round / 7) % 8);
        if (round % 11 == 0) {
            std::string name = "Program " + std::to_string(round);
            host.dispatch(effSetProgramName, 0, 0, name.data());
            host.dispatch(effGetProgramName, 0, 0, text);
            host.dispatch(effGetProgramNameIndexed, round % 8, 0, text);
        }
        if (round % 13 == 0)
            host.dispatch(effSetSampleRate, 0, 0, nullptr, rates[(round / 13) % 4]);
    }
    audio.join();
    EXPECT_TRUE(finite);
}

} // namespace
