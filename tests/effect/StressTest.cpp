// Two threads as a host runs them: an audio thread processes blocks while a control thread sets
// parameters, switches programs, changes the rate without a suspend and reads display texts:
// everything the audio thread reads. (Program names it never touches.) In the thread sanitizer
// build any data race between the two fails the test; in every build the output stays finite.
#include "testing/EffectHost.h"
#include "tests/support/Skips.h"
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

TEST(Stress, AudioThreadAndControlThreadTogether)
{
    SKIP_WHERE_THREADS_HANG();
    EffectHost host;
    std::atomic<bool> audioDone{false};
    bool finite = true;
    std::thread audio([&] {
        for (int block = 0; block < 4000; ++block)
            finite = allFinite(host.render(Stereo(64, block % 2 ? 0.9f : -0.9f), {64})) && finite;
        audioDone.store(true);
    });

    for (int round = 0; round == 0 || !audioDone.load(); ++round) {
        const VstInt32 index = round % kNumParams;
        host.set(index, static_cast<float>(round % 101) / 100.0f);
        host.text(effGetParamDisplay, index);
        if (round % 7 == 0)
            host.dispatch(effSetProgram, 0, (round / 7) % 8);
        if (round % 13 == 0)
            host.setSampleRate(round % 2 ? 44100.0f : 96000.0f, false);
    }
    audio.join();
    EXPECT_TRUE(finite);
}

} // namespace
