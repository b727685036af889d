#include "RecordingEffect.h"

#include "vst/CanDo.h"

#include <gtest/gtest.h>

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

char t[64]; // a text for the host, or a token standing for any record it is sent
template <typename T> T* token() { return reinterpret_cast<T*>(t); }

// How the operation reads the host's answer. Without a host, each gives what it gives for an answer of 0.
enum Reads { Nothing, AsIs, NonZero, One, Zero, Version, SampleRate, BlockSize };

long long expectedResult(Reads reads, VstIntPtr a)
{
    const long long byReads[] = {0, a, a != 0, a == 1, a == 0, a == 0 ? 1 : a, a > 0 ? a : 44100, a > 0 ? a : 1024};
    return byReads[reads];
}

long long number(long long value) { return value; }
long long number(const void* pointer) { return reinterpret_cast<VstIntPtr>(pointer); }
// The request called on the effect e, how it reads the answer, the opcode it sends (-1: none), and
// the index, value, ptr and opt it sends.
// clang-format off
#define Q(request, ...) {[](RecordingEffect& e) { return number(e.request); }, __VA_ARGS__}
#define V(request, ...) {[](RecordingEffect& e) { return e.request, 0LL; }, __VA_ARGS__}
// Resume asks for MIDI for a synth, or for an effect that answers 1 to being asked whether it takes it.
#define RESUME(synth, answer, opcode) {[](RecordingEffect& e) { e.isSynth(synth); e.canDoAnswer = answer; \
    e.AudioEffectX::resume(); return number(e.asked != (synth ? "" : PlugCanDos::canDoReceiveVstMidiEvent)); }, \
    Nothing, opcode, 0, opcode < 0 ? 0 : 1}
// clang-format on
#define DEP(name) VST_DEPRECATED(name)

struct Request {
    long long (*call)(RecordingEffect&);
    Reads reads;
    VstInt32 opcode, index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
};

// clang-format off
const Request kRequests[] = {
    // The parameter is set as well as sent: the request reads 0 once it is.
    {[](RecordingEffect& e) { e.setParameterAutomated(3, 0.25f); return number(e.call != "setParameter(3,0.25)"); },
     Nothing, 0, 3, 0, nullptr, 0.25f},
    Q(getMasterVersion(), Version, 1), Q(getCurrentUniqueId(), AsIs, 2), V(masterIdle(), Nothing, 3),
    Q(isInputConnected(3), Zero, 4, 3), Q(isOutputConnected(3), Zero, 4, 3, 1), V(DEP(wantEvents)(5), Nothing, 6, 0, 5),
    Q(getTimeInfo(15), AsIs, 7, 0, 15), Q(sendVstEventsToHost(token<VstEvents>()), One, 8, 0, 0, t),
    Q(DEP(tempoAt)(7), AsIs, 10, 0, 7), Q(DEP(getNumAutomatableParameters)(), AsIs, 11),
    Q(DEP(getParameterQuantization)(), AsIs, 12), Q(ioChanged(), NonZero, 13), Q(DEP(needIdle)(), NonZero, 14),
    Q(sizeWindow(640, 480), NonZero, 15, 640, 480), Q(updateSampleRate(), SampleRate, 16),
    Q(updateBlockSize(), BlockSize, 17), Q(getInputLatency(), AsIs, 18), Q(getOutputLatency(), AsIs, 19),
    Q(DEP(getPreviousPlug)(5), AsIs, 20), Q(DEP(getNextPlug)(6), AsIs, 21), Q(DEP(willProcessReplacing)(), AsIs, 22),
    Q(getCurrentProcessLevel(), AsIs, 23), Q(getAutomationState(), AsIs, 24),
    Q(offlineStart(token<VstAudioFile>(), 2, 3), NonZero, 25, 3, 2, t),
    Q(offlineRead(token<VstOfflineTask>(), kVstOfflineMarker, true), NonZero, 26, 1, 3, t),
    Q(offlineRead(token<VstOfflineTask>(), kVstOfflineCursor, false), NonZero, 26, 0, 4, t),
    Q(offlineWrite(token<VstOfflineTask>(), kVstOfflineSelection), NonZero, 27, 0, 5, t),
    Q(offlineGetCurrentPass(), NonZero, 28), Q(offlineGetCurrentMetaPass(), NonZero, 29),
    V(DEP(setOutputSamplerate)(48000.0f), Nothing, 30, 0, 0, nullptr, 48000.0f),
    Q(DEP(getOutputSpeakerArrangement)(), AsIs, 31), Q(getHostVendorString(t), NonZero, 32, 0, 0, t),
    Q(getHostProductString(t), NonZero, 33, 0, 0, t), Q(getHostVendorVersion(), AsIs, 34),
    Q(hostVendorSpecific(5, 6, t, 1.5f), AsIs, 35, 5, 6, t, 1.5f), Q(canHostDo(t), NonZero, 37, 0, 0, t),
    Q(getHostLanguage(), AsIs, 38), Q(DEP(openWindow)(token<DEP(VstWindow)>()), AsIs, 39, 0, 0, t),
    Q(DEP(closeWindow)(token<DEP(VstWindow)>()), NonZero, 40, 0, 0, t), Q(getDirectory(), AsIs, 41),
    Q(updateDisplay(), NonZero, 42), Q(beginEdit(9), NonZero, 43, 9), Q(endEdit(9), NonZero, 44, 9),
    Q(openFileSelector(token<VstFileSelect>()), NonZero, 45, 0, 0, t),
    Q(closeFileSelector(token<VstFileSelect>()), NonZero, 46, 0, 0, t),
    Q(DEP(getChunkFile)(t), NonZero, 48, 0, 0, t), Q(DEP(getInputSpeakerArrangement)(), AsIs, 49),
    // Without the record to send, nothing is sent.
    Q(openFileSelector(nullptr), Nothing, -1), Q(closeFileSelector(nullptr), Nothing, -1),
    Q(DEP(getChunkFile)(nullptr), Nothing, -1),
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

} // namespace
