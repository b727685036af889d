#include "vst/AudioEffectX.h"
#include "vst/CanDo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

std::vector<HostCall> gCalls;
VstIntPtr gAnswer = 0;

VstIntPtr VSTCALLBACK recordingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    gCalls.push_back({e, opcode, index, value, ptr, opt});
    return gAnswer;
}

class AskingEffect : public AudioEffectX {
public:
    explicit AskingEffect(audioMasterCallback host) : AudioEffectX(host, 1, 4) {}
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override
    {
        setParameterCalls.push_back({index, value, gCalls.size()});
    }
    VstInt32 canDo(char* text) override
    {
        askedCanDo = text;
        return canDoAnswer;
    }

    struct SetParameterCall {
        VstInt32 index;
        float value;
        std::size_t hostCallsBefore;
    };
    std::vector<SetParameterCall> setParameterCalls;
    std::string askedCanDo;
    VstInt32 canDoAnswer = 0;
};

char gText[64];
int gToken;
template <typename T> T* token() { return reinterpret_cast<T*>(&gToken); }

// How the operation reads the host's answer.
enum class Reads { Nothing, AsIs, NonZero, One, Zero, Version, PositiveOrKept };

struct Request {
    const char* name;
    long long (*call)(AskingEffect&);
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    Reads reads;
    long long withoutHost;
};

#define DO(expr) [](AskingEffect& e) -> long long { return static_cast<long long>(expr); }
#define DO_PTR(expr) DO(reinterpret_cast<VstIntPtr>(expr))
#define DO_VOID(expr)                                                                                                  \
    [](AskingEffect& e) -> long long {                                                                                 \
        expr;                                                                                                          \
        return 0;                                                                                                      \
    }

const Request kRequests[] = {
    {"setParameterAutomated", DO_VOID(e.setParameterAutomated(3, 0.25f)), 0, 3, 0, nullptr, 0.25f, Reads::Nothing, 0},
    {"getMasterVersion", DO(e.getMasterVersion()), 1, 0, 0, nullptr, 0, Reads::Version, 1},
    {"getCurrentUniqueId", DO(e.getCurrentUniqueId()), 2, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"masterIdle", DO_VOID(e.masterIdle()), 3, 0, 0, nullptr, 0, Reads::Nothing, 0},
    {"isInputConnected", DO(e.isInputConnected(3)), 4, 3, 0, nullptr, 0, Reads::Zero, 1},
    {"isOutputConnected", DO(e.isOutputConnected(3)), 4, 3, 1, nullptr, 0, Reads::Zero, 1},
    {"wantEvents", DO_VOID(e.VST_DEPRECATED(wantEvents)(5)), 6, 0, 5, nullptr, 0, Reads::Nothing, 0},
    {"getTimeInfo", DO_PTR(e.getTimeInfo(15)), 7, 0, 15, nullptr, 0, Reads::AsIs, 0},
    {"sendVstEventsToHost", DO(e.sendVstEventsToHost(token<VstEvents>())), 8, 0, 0, &gToken, 0, Reads::One, 0},
    {"tempoAt", DO(e.VST_DEPRECATED(tempoAt)(7)), 10, 0, 7, nullptr, 0, Reads::AsIs, 0},
    {"getNumAutomatableParameters", DO(e.VST_DEPRECATED(getNumAutomatableParameters)()), 11, 0, 0, nullptr, 0,
     Reads::AsIs, 0},
    {"getParameterQuantization", DO(e.VST_DEPRECATED(getParameterQuantization)()), 12, 0, 0, nullptr, 0, Reads::AsIs,
     0},
    {"ioChanged", DO(e.ioChanged()), 13, 0, 0, nullptr, 0, Reads::NonZero, 0},
    {"needIdle", DO(e.VST_DEPRECATED(needIdle)()), 14, 0, 0, nullptr, 0, Reads::NonZero, 0},
    {"sizeWindow", DO(e.sizeWindow(640, 480)), 15, 640, 480, nullptr, 0, Reads::NonZero, 0},
    {"updateSampleRate", DO(e.updateSampleRate()), 16, 0, 0, nullptr, 0, Reads::PositiveOrKept, 44100},
    {"updateBlockSize", DO(e.updateBlockSize()), 17, 0, 0, nullptr, 0, Reads::PositiveOrKept, 1024},
    {"getInputLatency", DO(e.getInputLatency()), 18, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"getOutputLatency", DO(e.getOutputLatency()), 19, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"getPreviousPlug", DO_PTR(e.VST_DEPRECATED(getPreviousPlug)(5)), 20, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"getNextPlug", DO_PTR(e.VST_DEPRECATED(getNextPlug)(6)), 21, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"willProcessReplacing", DO(e.VST_DEPRECATED(willProcessReplacing)()), 22, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"getCurrentProcessLevel", DO(e.getCurrentProcessLevel()), 23, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"getAutomationState", DO(e.getAutomationState()), 24, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"offlineStart", DO(e.offlineStart(token<VstAudioFile>(), 2, 3)), 25, 3, 2, &gToken, 0, Reads::NonZero, 0},
    {"offlineRead source", DO(e.offlineRead(token<VstOfflineTask>(), kVstOfflineMarker, true)), 26, 1, 3, &gToken, 0,
     Reads::NonZero, 0},
    {"offlineRead target", DO(e.offlineRead(token<VstOfflineTask>(), kVstOfflineCursor, false)), 26, 0, 4, &gToken, 0,
     Reads::NonZero, 0},
    {"offlineWrite", DO(e.offlineWrite(token<VstOfflineTask>(), kVstOfflineSelection)), 27, 0, 5, &gToken, 0,
     Reads::NonZero, 0},
    {"offlineGetCurrentPass", DO(e.offlineGetCurrentPass()), 28, 0, 0, nullptr, 0, Reads::NonZero, 0},
    {"offlineGetCurrentMetaPass", DO(e.offlineGetCurrentMetaPass()), 29, 0, 0, nullptr, 0, Reads::NonZero, 0},
    {"setOutputSamplerate", DO_VOID(e.VST_DEPRECATED(setOutputSamplerate)(48000.0f)), 30, 0, 0, nullptr, 48000.0f,
     Reads::Nothing, 0},
    {"getOutputSpeakerArrangement", DO_PTR(e.VST_DEPRECATED(getOutputSpeakerArrangement)()), 31, 0, 0, nullptr, 0,
     Reads::AsIs, 0},
    {"getHostVendorString", DO(e.getHostVendorString(gText)), 32, 0, 0, gText, 0, Reads::NonZero, 0},
    {"getHostProductString", DO(e.getHostProductString(gText)), 33, 0, 0, gText, 0, Reads::NonZero, 0},
    {"getHostVendorVersion", DO(e.getHostVendorVersion()), 34, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"hostVendorSpecific", DO(e.hostVendorSpecific(5, 6, &gToken, 1.5f)), 35, 5, 6, &gToken, 1.5f, Reads::AsIs, 0},
    {"canHostDo", DO(e.canHostDo(gText)), 37, 0, 0, gText, 0, Reads::NonZero, 0},
    {"getHostLanguage", DO(e.getHostLanguage()), 38, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"openWindow", DO_PTR(e.VST_DEPRECATED(openWindow)(token<VST_DEPRECATED(VstWindow)>())), 39, 0, 0, &gToken, 0,
     Reads::AsIs, 0},
    {"closeWindow", DO(e.VST_DEPRECATED(closeWindow)(token<VST_DEPRECATED(VstWindow)>())), 40, 0, 0, &gToken, 0,
     Reads::NonZero, 0},
    {"getDirectory", DO_PTR(e.getDirectory()), 41, 0, 0, nullptr, 0, Reads::AsIs, 0},
    {"updateDisplay", DO(e.updateDisplay()), 42, 0, 0, nullptr, 0, Reads::NonZero, 0},
    {"beginEdit", DO(e.beginEdit(9)), 43, 9, 0, nullptr, 0, Reads::NonZero, 0},
    {"endEdit", DO(e.endEdit(9)), 44, 9, 0, nullptr, 0, Reads::NonZero, 0},
    {"openFileSelector", DO(e.openFileSelector(token<VstFileSelect>())), 45, 0, 0, &gToken, 0, Reads::NonZero, 0},
    {"closeFileSelector", DO(e.closeFileSelector(token<VstFileSelect>())), 46, 0, 0, &gToken, 0, Reads::NonZero, 0},
    {"getChunkFile", DO(e.VST_DEPRECATED(getChunkFile)(&gToken)), 48, 0, 0, &gToken, 0, Reads::NonZero, 0},
    {"getInputSpeakerArrangement", DO_PTR(e.VST_DEPRECATED(getInputSpeakerArrangement)()), 49, 0, 0, nullptr, 0,
     Reads::AsIs, 0},
};

long long expectedResult(const Request& r, VstIntPtr answer)
{
    switch (r.reads) {
    case Reads::Nothing:
        return 0;
    case Reads::AsIs:
        return answer;
    case Reads::NonZero:
        return answer != 0;
    case Reads::One:
        return answer == 1;
    case Reads::Zero:
        return answer == 0;
    case Reads::Version:
        return answer == 0 ? 1 : answer;
    case Reads::PositiveOrKept:
        return answer > 0 ? answer : r.withoutHost;
    }
    return -1;
}

TEST(HostRequests, EachRequestSendsItsArgumentsAndReadsTheAnswer)
{
    const VstIntPtr answers[] = {0, 1, 2, -1, 48000};
    for (const Request& r : kRequests) {
        for (VstIntPtr answer : answers) {
            SCOPED_TRACE(::testing::Message() << r.name << ", host answers " << answer);
            AskingEffect effect(recordingHost);
            gCalls.clear();
            gAnswer = answer;
            EXPECT_EQ(r.call(effect), expectedResult(r, answer));
            ASSERT_EQ(gCalls.size(), 1u);
            const HostCall& c = gCalls[0];
            EXPECT_EQ(c.effect, effect.getAeffect());
            EXPECT_EQ(c.opcode, r.opcode);
            EXPECT_EQ(c.index, r.index);
            EXPECT_EQ(c.value, r.value);
            EXPECT_EQ(c.ptr, r.ptr);
            EXPECT_EQ(c.opt, r.opt);
        }
    }
}

TEST(HostRequests, WithoutAHostEachRequestGivesItsFallback)
{
    for (const Request& r : kRequests) {
        SCOPED_TRACE(r.name);
        AskingEffect effect(nullptr);
        EXPECT_EQ(r.call(effect), r.withoutHost);
    }
}

TEST(HostRequests, AutomationSetsTheParameterBeforeTellingTheHost)
{
    for (audioMasterCallback host : {recordingHost, static_cast<audioMasterCallback>(nullptr)}) {
        AskingEffect effect(host);
        gCalls.clear();
        effect.setParameterAutomated(3, 0.25f);
        ASSERT_EQ(effect.setParameterCalls.size(), 1u);
        EXPECT_EQ(effect.setParameterCalls[0].index, 3);
        EXPECT_EQ(effect.setParameterCalls[0].value, 0.25f);
        EXPECT_EQ(effect.setParameterCalls[0].hostCallsBefore, 0u);
        EXPECT_EQ(gCalls.size(), host ? 1u : 0u);
    }
}

TEST(HostRequests, NullSelectorsAndPathsAreNotSent)
{
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
    struct Case {
        bool synth;
        VstInt32 canDo;
        bool asksForMidi;
    };
    const Case cases[] = {{false, 0, false}, {false, 1, true}, {false, -1, false},
                          {false, 2, false}, {true, 0, true},  {true, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "synth " << c.synth << ", canDo " << c.canDo);
        AskingEffect effect(recordingHost);
        effect.isSynth(c.synth);
        effect.canDoAnswer = c.canDo;
        gCalls.clear();
        AEffect* record = effect.getAeffect();
        record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
        if (!c.synth) {
            EXPECT_EQ(effect.askedCanDo, PlugCanDos::canDoReceiveVstMidiEvent);
        }
        ASSERT_EQ(gCalls.size(), c.asksForMidi ? 1u : 0u);
        if (c.asksForMidi) {
            EXPECT_EQ(gCalls[0].opcode, audioMasterWantMidi);
            EXPECT_EQ(gCalls[0].index, 0);
            EXPECT_EQ(gCalls[0].value, 1);
        }
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
        const VstIntPtr low32Zero = static_cast<VstIntPtr>(std::int64_t{1} << 32);
        const VstIntPtr low32MinusOne = static_cast<VstIntPtr>(0xffffffffLL);
        const VstIntPtr low32Is512 = static_cast<VstIntPtr>((std::int64_t{1} << 32) + 512);
        AskingEffect effect(recordingHost);
        gAnswer = low32Zero;
        EXPECT_EQ(effect.getMasterVersion(), 1);
        EXPECT_EQ(effect.updateBlockSize(), 1024);
        EXPECT_EQ(effect.updateSampleRate(), 44100.0f);
        gAnswer = low32MinusOne;
        EXPECT_EQ(effect.updateBlockSize(), 1024);
        EXPECT_EQ(effect.updateSampleRate(), 44100.0f);
        gAnswer = low32Is512;
        EXPECT_EQ(effect.updateBlockSize(), 512);
    }
}

} // namespace
