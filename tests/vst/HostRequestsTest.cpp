#include "RecordingEffect.h"

#include "vst/CanDo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

// effect, opcode, index, value, ptr, opt
using HostCall = std::tuple<AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float>;
std::vector<HostCall> gCalls;
VstIntPtr gAnswer = 0;

VstIntPtr VSTCALLBACK recordingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    gCalls.emplace_back(e, opcode, index, value, ptr, opt);
    return gAnswer;
}

char gText[64], gToken;
void* const t = &gToken;
template <typename T> T* token() { return static_cast<T*>(t); }

// How the operation reads the host's answer. Without a host, each gives what it gives for an answer of 0.
enum Reads { Nothing, AsIs, NonZero, One, Zero, Version, SampleRate, BlockSize };

long long expectedResult(Reads reads, VstIntPtr a)
{
    const long long byReads[] = {0, a, a != 0, a == 1, a == 0, a == 0 ? 1 : a, a > 0 ? a : 44100, a > 0 ? a : 1024};
    return byReads[reads];
}

long long number(long long value) { return value; }
long long number(const void* pointer) { return reinterpret_cast<VstIntPtr>(pointer); }
// The request called on the effect e, the opcode it sends (-1: none), how it reads the answer, and
// the index, value, ptr and opt it sends.
// clang-format off
#define Q(request, ...) {[](RecordingEffect& e) { return number(e.request); }, __VA_ARGS__}
#define V(request, ...) {[](RecordingEffect& e) { return e.request, 0LL; }, __VA_ARGS__}
// Resume asks for MIDI for a synth, or for an effect that answers 1 to being asked whether it takes it.
#define RESUME(synth, answer, opcode) {[](RecordingEffect& e) { e.isSynth(synth); e.canDoAnswer = answer; \
    e.AudioEffectX::resume(); return number(e.asked != (synth ? "" : PlugCanDos::canDoReceiveVstMidiEvent)); }, \
    opcode, Nothing, 0, opcode < 0 ? 0 : 1}
// clang-format on
#define DEP(name) VST_DEPRECATED(name)

struct Request {
    long long (*call)(RecordingEffect&);
    VstInt32 opcode;
    Reads reads;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
};

// clang-format off
const Request kRequests[] = {
    // The parameter is set as well as sent: the request reads 0 once it is.
    {[](RecordingEffect& e) { e.setParameterAutomated(3, 0.25f); return number(e.call != "setParameter(3,0.25)"); },
     0, Nothing, 3, 0, nullptr, 0.25f},
    Q(getMasterVersion(), 1, Version), Q(getCurrentUniqueId(), 2, AsIs), V(masterIdle(), 3, Nothing),
    Q(isInputConnected(3), 4, Zero, 3), Q(isOutputConnected(3), 4, Zero, 3, 1), V(DEP(wantEvents)(5), 6, Nothing, 0, 5),
    Q(getTimeInfo(15), 7, AsIs, 0, 15), Q(sendVstEventsToHost(token<VstEvents>()), 8, One, 0, 0, t),
    Q(DEP(tempoAt)(7), 10, AsIs, 0, 7), Q(DEP(getNumAutomatableParameters)(), 11, AsIs),
    Q(DEP(getParameterQuantization)(), 12, AsIs), Q(ioChanged(), 13, NonZero), Q(DEP(needIdle)(), 14, NonZero),
    Q(sizeWindow(640, 480), 15, NonZero, 640, 480), Q(updateSampleRate(), 16, SampleRate),
    Q(updateBlockSize(), 17, BlockSize), Q(getInputLatency(), 18, AsIs), Q(getOutputLatency(), 19, AsIs),
    Q(DEP(getPreviousPlug)(5), 20, AsIs), Q(DEP(getNextPlug)(6), 21, AsIs), Q(DEP(willProcessReplacing)(), 22, AsIs),
    Q(getCurrentProcessLevel(), 23, AsIs), Q(getAutomationState(), 24, AsIs),
    Q(offlineStart(token<VstAudioFile>(), 2, 3), 25, NonZero, 3, 2, t),
    Q(offlineRead(token<VstOfflineTask>(), kVstOfflineMarker, true), 26, NonZero, 1, 3, t),
    Q(offlineRead(token<VstOfflineTask>(), kVstOfflineCursor, false), 26, NonZero, 0, 4, t),
    Q(offlineWrite(token<VstOfflineTask>(), kVstOfflineSelection), 27, NonZero, 0, 5, t),
    Q(offlineGetCurrentPass(), 28, NonZero), Q(offlineGetCurrentMetaPass(), 29, NonZero),
    V(DEP(setOutputSamplerate)(48000.0f), 30, Nothing, 0, 0, nullptr, 48000.0f),
    Q(DEP(getOutputSpeakerArrangement)(), 31, AsIs), Q(getHostVendorString(gText), 32, NonZero, 0, 0, gText),
    Q(getHostProductString(gText), 33, NonZero, 0, 0, gText), Q(getHostVendorVersion(), 34, AsIs),
    Q(hostVendorSpecific(5, 6, t, 1.5f), 35, AsIs, 5, 6, t, 1.5f), Q(canHostDo(gText), 37, NonZero, 0, 0, gText),
    Q(getHostLanguage(), 38, AsIs), Q(DEP(openWindow)(token<DEP(VstWindow)>()), 39, AsIs, 0, 0, t),
    Q(DEP(closeWindow)(token<DEP(VstWindow)>()), 40, NonZero, 0, 0, t), Q(getDirectory(), 41, AsIs),
    Q(updateDisplay(), 42, NonZero), Q(beginEdit(9), 43, NonZero, 9), Q(endEdit(9), 44, NonZero, 9),
    Q(openFileSelector(token<VstFileSelect>()), 45, NonZero, 0, 0, t),
    Q(closeFileSelector(token<VstFileSelect>()), 46, NonZero, 0, 0, t),
    Q(DEP(getChunkFile)(t), 48, NonZero, 0, 0, t), Q(DEP(getInputSpeakerArrangement)(), 49, AsIs),
    // Without the record to send, nothing is sent.
    Q(openFileSelector(nullptr), -1, Nothing), Q(closeFileSelector(nullptr), -1, Nothing),
    Q(DEP(getChunkFile)(nullptr), -1, Nothing),
    RESUME(false, 1, 6), RESUME(true, 0, 6), RESUME(false, 0, -1), RESUME(false, 2, -1),
};
// clang-format on

TEST(HostRequests, EachRequestSendsItsArgumentsAndReadsTheAnswer)
{
    for (const Request& r : kRequests) {
        SCOPED_TRACE(::testing::Message() << "request with opcode " << r.opcode << ", index " << r.index);
        // Without a host, what a host answering 0 would give.
        RecordingEffect hostless;
        EXPECT_EQ(r.call(hostless), expectedResult(r.reads, 0));
        for (VstIntPtr answer : {0, 1, 2, -1, 48000}) {
            RecordingEffect effect(recordingHost);
            gCalls.clear();
            gAnswer = answer;
            EXPECT_EQ(r.call(effect), expectedResult(r.reads, answer)) << "host answers " << answer;
            const HostCall sent(effect.getAeffect(), r.opcode, r.index, r.value, r.ptr, r.opt);
            EXPECT_EQ(gCalls, r.opcode < 0 ? std::vector<HostCall>{} : std::vector{sent});
        }
    }
}

// A callback returning a wider integer than the interface's 32 bits is read by its low 32 bits,
// so no check can pass on the wide value and then keep a narrowed one it would have refused.
TEST(HostRequests, WideAnswersAreReadAsTheir32BitValue)
{
    if (sizeof(VstIntPtr) == 4)
        GTEST_SKIP() << "a 32-bit callback answers nothing wider than 32 bits";
    using Answers = std::tuple<VstInt32, VstInt32, float>; // version, block size, sample rate
    RecordingEffect effect(recordingHost);
    for (const auto& [wide, answers] : {std::pair{std::int64_t{1} << 32, Answers{1, 1024, 44100.0f}},
                                        {0xffffffffLL, {-1, 1024, 44100.0f}},
                                        {(std::int64_t{1} << 32) + 512, {512, 512, 512.0f}}}) {
        gAnswer = static_cast<VstIntPtr>(wide);
        EXPECT_EQ(Answers(effect.getMasterVersion(), effect.updateBlockSize(), effect.updateSampleRate()), answers);
    }
}

} // namespace
