#include "vst/AudioEffectX.h"
#include "vst/CanDo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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

class AskingEffect : public AudioEffectX {
public:
    explicit AskingEffect(audioMasterCallback host) : AudioEffectX(host, 1, 4) {}
    void processReplacing(float**, float**, VstInt32) override {}
    // Records the number of host calls made before it, to show the order.
    void setParameter(VstInt32 index, float value) override { setParameterCall = {index, value, gCalls.size()}; }
    VstInt32 canDo(char* text) override
    {
        askedCanDo = text;
        return canDoAnswer;
    }
    std::tuple<VstInt32, float, std::size_t> setParameterCall{-1, 0.0f, 0};
    std::string askedCanDo;
    VstInt32 canDoAnswer = 0;
};

char gText[64];
int gToken;
template <typename T> T* token() { return reinterpret_cast<T*>(&gToken); }

// How the operation reads the host's answer. Without a host, each gives what it gives for an answer of 0.
enum class Reads { Nothing, AsIs, NonZero, One, Zero, Version, SampleRate, BlockSize };

long long expectedResult(Reads reads, VstIntPtr a)
{
    const long long byReads[] = {0, a, a != 0, a == 1, a == 0, a == 0 ? 1 : a, a > 0 ? a : 44100, a > 0 ? a : 1024};
    return byReads[static_cast<int>(reads)];
}

long long number(long long value) { return value; }
long long number(const void* pointer) { return reinterpret_cast<VstIntPtr>(pointer); }
#define DO(expr) [](AskingEffect& e) { return number(expr); }

struct Request {
    long long (*call)(AskingEffect&);
    VstInt32 opcode;
    Reads reads;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
};

const Request kRequests[] = {
    {DO((e.setParameterAutomated(3, 0.25f), 0)), 0, Reads::Nothing, 3, 0, nullptr, 0.25f},
    {DO(e.getMasterVersion()), 1, Reads::Version},
    {DO(e.getCurrentUniqueId()), 2, Reads::AsIs},
    {DO((e.masterIdle(), 0)), 3, Reads::Nothing},
    {DO(e.isInputConnected(3)), 4, Reads::Zero, 3},
    {DO(e.isOutputConnected(3)), 4, Reads::Zero, 3, 1},
    {DO((e.VST_DEPRECATED(wantEvents)(5), 0)), 6, Reads::Nothing, 0, 5},
    {DO(e.getTimeInfo(15)), 7, Reads::AsIs, 0, 15},
    {DO(e.sendVstEventsToHost(token<VstEvents>())), 8, Reads::One, 0, 0, &gToken},
    {DO(e.VST_DEPRECATED(tempoAt)(7)), 10, Reads::AsIs, 0, 7},
    {DO(e.VST_DEPRECATED(getNumAutomatableParameters)()), 11, Reads::AsIs},
    {DO(e.VST_DEPRECATED(getParameterQuantization)()), 12, Reads::AsIs},
    {DO(e.ioChanged()), 13, Reads::NonZero},
    {DO(e.VST_DEPRECATED(needIdle)()), 14, Reads::NonZero},
    {DO(e.sizeWindow(640, 480)), 15, Reads::NonZero, 640, 480},
    {DO(e.updateSampleRate()), 16, Reads::SampleRate},
    {DO(e.updateBlockSize()), 17, Reads::BlockSize},
    {DO(e.getInputLatency()), 18, Reads::AsIs},
    {DO(e.getOutputLatency()), 19, Reads::AsIs},
    {DO(e.VST_DEPRECATED(getPreviousPlug)(5)), 20, Reads::AsIs},
    {DO(e.VST_DEPRECATED(getNextPlug)(6)), 21, Reads::AsIs},
    {DO(e.VST_DEPRECATED(willProcessReplacing)()), 22, Reads::AsIs},
    {DO(e.getCurrentProcessLevel()), 23, Reads::AsIs},
    {DO(e.getAutomationState()), 24, Reads::AsIs},
    {DO(e.offlineStart(token<VstAudioFile>(), 2, 3)), 25, Reads::NonZero, 3, 2, &gToken},
    {DO(e.offlineRead(token<VstOfflineTask>(), kVstOfflineMarker, true)), 26, Reads::NonZero, 1, 3, &gToken},
    {DO(e.offlineRead(token<VstOfflineTask>(), kVstOfflineCursor, false)), 26, Reads::NonZero, 0, 4, &gToken},
    {DO(e.offlineWrite(token<VstOfflineTask>(), kVstOfflineSelection)), 27, Reads::NonZero, 0, 5, &gToken},
    {DO(e.offlineGetCurrentPass()), 28, Reads::NonZero},
    {DO(e.offlineGetCurrentMetaPass()), 29, Reads::NonZero},
    {DO((e.VST_DEPRECATED(setOutputSamplerate)(48000.0f), 0)), 30, Reads::Nothing, 0, 0, nullptr, 48000.0f},
    {DO(e.VST_DEPRECATED(getOutputSpeakerArrangement)()), 31, Reads::AsIs},
    {DO(e.getHostVendorString(gText)), 32, Reads::NonZero, 0, 0, gText},
    {DO(e.getHostProductString(gText)), 33, Reads::NonZero, 0, 0, gText},
    {DO(e.getHostVendorVersion()), 34, Reads::AsIs},
    {DO(e.hostVendorSpecific(5, 6, &gToken, 1.5f)), 35, Reads::AsIs, 5, 6, &gToken, 1.5f},
    {DO(e.canHostDo(gText)), 37, Reads::NonZero, 0, 0, gText},
    {DO(e.getHostLanguage()), 38, Reads::AsIs},
    {DO(e.VST_DEPRECATED(openWindow)(token<VST_DEPRECATED(VstWindow)>())), 39, Reads::AsIs, 0, 0, &gToken},
    {DO(e.VST_DEPRECATED(closeWindow)(token<VST_DEPRECATED(VstWindow)>())), 40, Reads::NonZero, 0, 0, &gToken},
    {DO(e.getDirectory()), 41, Reads::AsIs},
    {DO(e.updateDisplay()), 42, Reads::NonZero},
    {DO(e.beginEdit(9)), 43, Reads::NonZero, 9},
    {DO(e.endEdit(9)), 44, Reads::NonZero, 9},
    {DO(e.openFileSelector(token<VstFileSelect>())), 45, Reads::NonZero, 0, 0, &gToken},
    {DO(e.closeFileSelector(token<VstFileSelect>())), 46, Reads::NonZero, 0, 0, &gToken},
    {DO(e.VST_DEPRECATED(getChunkFile)(&gToken)), 48, Reads::NonZero, 0, 0, &gToken},
    {DO(e.VST_DEPRECATED(getInputSpeakerArrangement)()), 49, Reads::AsIs},
};

TEST(HostRequests, EachRequestSendsItsArgumentsAndReadsTheAnswer)
{
    for (const Request& r : kRequests) {
        SCOPED_TRACE(::testing::Message() << "request with opcode " << r.opcode << ", index " << r.index);
        AskingEffect hostless(nullptr);
        EXPECT_EQ(r.call(hostless), expectedResult(r.reads, 0));
        for (VstIntPtr answer : {0, 1, 2, -1, 48000}) {
            AskingEffect effect(recordingHost);
            gCalls.clear();
            gAnswer = answer;
            EXPECT_EQ(r.call(effect), expectedResult(r.reads, answer)) << "host answers " << answer;
            EXPECT_EQ(gCalls, std::vector{HostCall(effect.getAeffect(), r.opcode, r.index, r.value, r.ptr, r.opt)});
        }
    }
}

TEST(HostRequests, AutomationSetsTheParameterBeforeTellingTheHostAndNullSelectorsAreNotSent)
{
    for (audioMasterCallback host : {recordingHost, static_cast<audioMasterCallback>(nullptr)}) {
        AskingEffect effect(host);
        gCalls.clear();
        effect.setParameterAutomated(3, 0.25f);
        EXPECT_EQ(effect.setParameterCall, std::make_tuple(3, 0.25f, std::size_t{0}));
        EXPECT_EQ(gCalls.size(), host ? 1u : 0u);
    }
    AskingEffect effect(recordingHost);
    gCalls.clear();
    gAnswer = 1;
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.VST_DEPRECATED(getChunkFile)(nullptr));
    EXPECT_TRUE(gCalls.empty());
}

TEST(HostRequests, ResumeAsksForMidiOnlyForSynthsAndMidiReceivers)
{
    // synth, the effect's canDo answer, whether it asks
    const std::tuple<bool, VstInt32, bool> cases[] = {{false, 0, false}, {false, 1, true}, {false, -1, false},
                                                      {false, 2, false}, {true, 0, true},  {true, -1, true}};
    for (const auto& [synth, canDo, asks] : cases) {
        AskingEffect effect(recordingHost);
        effect.isSynth(synth);
        effect.canDoAnswer = canDo;
        gCalls.clear();
        AEffect* record = effect.getAeffect();
        record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
        EXPECT_EQ(effect.askedCanDo, synth ? "" : PlugCanDos::canDoReceiveVstMidiEvent);
        const HostCall wantMidi(record, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
        EXPECT_EQ(gCalls, asks ? std::vector{wantMidi} : std::vector<HostCall>{}) << synth << ", canDo " << canDo;
    }
    AskingEffect hostless(nullptr);
    hostless.isSynth(true);
    hostless.resume();
}

// A callback returning a wider integer than the interface's 32 bits is read by its low 32 bits,
// so no check can pass on the wide value and then keep a narrowed one it would have refused.
TEST(HostRequests, WideAnswersAreReadAsTheir32BitValue)
{
    if constexpr (sizeof(VstIntPtr) > 4) {
        using Answers = std::tuple<VstInt32, VstInt32, float>; // version, block size, sample rate
        const std::pair<std::int64_t, Answers> cases[] = {{std::int64_t{1} << 32, {1, 1024, 44100.0f}},
                                                          {0xffffffffLL, {-1, 1024, 44100.0f}},
                                                          {(std::int64_t{1} << 32) + 512, {512, 512, 512.0f}}};
        for (const auto& [wide, answers] : cases) {
            AskingEffect effect(recordingHost);
            gAnswer = static_cast<VstIntPtr>(wide);
            EXPECT_EQ(Answers(effect.getMasterVersion(), effect.updateBlockSize(), effect.updateSampleRate()), answers);
        }
    }
}

} // namespace
