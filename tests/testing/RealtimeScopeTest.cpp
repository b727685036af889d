// The real-time sanitizer build catches what it is there for: a callback that allocates or locks
// inside the audio thread's scope ends the program with the sanitizer's report; outside the scope
// the same calls run on.
#include "testing/RealtimeScope.h"
#include "vst/AEffect.h"

#include <gtest/gtest.h>

#include <mutex>

using namespace quadecho::testhost;

namespace {

void* volatile gKept = nullptr; // keeps the allocation from being optimised away

void VSTCALLBACK allocates(AEffect*, float**, float**, VstInt32 frames)
{
    gKept = new float[static_cast<unsigned>(frames)];
    delete[] static_cast<float*>(gKept);
}

std::mutex gLock;
void VSTCALLBACK locks(AEffect*, float**, float**, VstInt32)
{
    const std::lock_guard<std::mutex> held(gLock);
    gKept = &gLock;
}

void callBlock(AEffectProcessProc callback)
{
    AEffect record{};
    record.processReplacing = callback;
    onAudioThread([&] { record.processReplacing(&record, nullptr, nullptr, 64); });
}

TEST(RealtimeScopeDeathTest, AnUnsafeCallbackEndsTheProgramWithTheReport)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<AEffectProcessProc, const char*> unsafe[] = {{allocates, "malloc"}, {locks, "pthread_mutex_lock"}};
    for (const auto& [callback, function] : unsafe) {
        const std::string report = std::string("Real-time violation: intercepted call to real-time unsafe function `") +
                                   function + "` in real-time context";
        EXPECT_EXIT(callBlock(callback), testing::ExitedWithCode(1), report) << function;
        AEffect record{};
        callback(&record, nullptr, nullptr, 64); // outside the scope nothing is reported
    }
}

} // namespace
