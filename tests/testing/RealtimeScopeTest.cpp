// The real-time sanitizer build catches what it is there for: a callback that allocates inside the
// audio thread's scope ends the program with the sanitizer's report; outside the scope the same
// call runs on. (Which calls it intercepts, locks among them, is the sanitizer's own business.)
#include "testing/RealtimeScope.h"
#include "vst/AEffect.h"

#include <gtest/gtest.h>

using namespace quadecho::testhost;

namespace {

void* volatile gKept = nullptr; // keeps the allocation from being optimised away

void VSTCALLBACK allocates(AEffect*, float**, float**, VstInt32 frames)
{
    gKept = new float[static_cast<unsigned>(frames)];
    delete[] static_cast<float*>(gKept);
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
    EXPECT_EXIT(callBlock(allocates), testing::ExitedWithCode(1),
                "Real-time violation: intercepted call to real-time unsafe function `malloc` in real-time context");
    AEffect record{};
    allocates(&record, nullptr, nullptr, 64); // outside the scope nothing is reported
}

} // namespace
