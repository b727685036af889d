#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

TEST(Record, NewInstanceHoldsTheFrameworkDefaults)
{
    RecordingEffect effect(nullptr, 4, 3);
    const AEffect& e = *effect.getAeffect();
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.numPrograms, 4);
    EXPECT_EQ(e.numParams, 3);
    EXPECT_EQ(e.numInputs, 1);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, effFlagsCanReplacing);
    EXPECT_EQ(e.resvd1, 0);
    EXPECT_EQ(e.resvd2, 0);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.realQualities, 0);
    EXPECT_EQ(e.offQualities, 0);
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(e.object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(e.user, nullptr);
    EXPECT_EQ(e.uniqueID, fourCharCode('N', 'o', 'E', 'f'));
    EXPECT_EQ(e.version, 1);
    EXPECT_NE(e.dispatcher, nullptr);
    EXPECT_NE(e.process, nullptr);
    EXPECT_NE(e.processReplacing, nullptr);
    EXPECT_NE(e.processDoubleReplacing, nullptr);
    EXPECT_NE(e.setParameter, nullptr);
    EXPECT_NE(e.getParameter, nullptr);
    const char zeros[sizeof e.future] = {};
    EXPECT_EQ(std::memcmp(e.future, zeros, sizeof zeros), 0);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
}

TEST(Record, FourCharacterCodesPutTheFirstCharacterHighest)
{
    EXPECT_EQ(fourCharCode('V', 's', 't', 'P'), 0x56737450);
    EXPECT_EQ(fourCharCode('N', 'v', 'E', 'f'), 0x4E764566);
    EXPECT_EQ(fourCharCode('V', 'Q', 'q', 'e'), 0x56517165);
}

TEST(Record, FlagSettersTouchOnlyTheirBit)
{
    using Setter = std::function<void(RecordingEffect&, bool)>;
    struct Case {
        const char* name;
        VstInt32 bit;
        Setter set;
    };
    const Case cases[] = {
        {"canProcessReplacing", effFlagsCanReplacing, [](RecordingEffect& e, bool s) { e.canProcessReplacing(s); }},
        {"canDoubleReplacing", effFlagsCanDoubleReplacing, [](RecordingEffect& e, bool s) { e.canDoubleReplacing(s); }},
        {"programsAreChunks", effFlagsProgramChunks, [](RecordingEffect& e, bool s) { e.programsAreChunks(s); }},
        {"hasVu", effFlagsHasVu, [](RecordingEffect& e, bool s) { e.VST_DEPRECATED(hasVu)(s); }},
        {"hasClip", effFlagsHasClip, [](RecordingEffect& e, bool s) { e.VST_DEPRECATED(hasClip)(s); }},
        {"canMono", effFlagsCanMono, [](RecordingEffect& e, bool s) { e.VST_DEPRECATED(canMono)(s); }},
        {"isSynth", effFlagsIsSynth, [](RecordingEffect& e, bool s) { e.isSynth(s); }},
        {"noTail", effFlagsNoSoundInStop, [](RecordingEffect& e, bool s) { e.noTail(s); }},
        {"wantAsyncOperation", effFlagsExtIsAsync,
         [](RecordingEffect& e, bool s) { e.VST_DEPRECATED(wantAsyncOperation)(s); }},
        {"hasExternalBuffer", effFlagsExtHasBuffer,
         [](RecordingEffect& e, bool s) { e.VST_DEPRECATED(hasExternalBuffer)(s); }},
        {"setEditor", effFlagsHasEditor,
         [](RecordingEffect& e, bool s) {
             // Detaching hands the editor back to its owner, here the test.
             if (!s)
                 delete e.getEditor();
             e.setEditor(s ? new RecordingEditor : nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (VstInt32 start : {VstInt32(0), VstInt32(-1) & ~c.bit, VstInt32(-1)}) {
            RecordingEffect effect;
            effect.getAeffect()->flags = start;
            c.set(effect, true);
            EXPECT_EQ(effect.getAeffect()->flags, start | c.bit);
            c.set(effect, false);
            EXPECT_EQ(effect.getAeffect()->flags, start & ~c.bit);
        }
    }
}

TEST(Record, SimpleSettersStoreInTheRecord)
{
    RecordingEffect effect;
    effect.setUniqueID(fourCharCode('a', 'b', 'c', 'd'));
    effect.setNumInputs(5);
    effect.setNumOutputs(6);
    effect.setInitialDelay(-7);
    effect.VST_DEPRECATED(setRealtimeQualities)(8);
    effect.VST_DEPRECATED(setOfflineQualities)(9);
    const AEffect& e = *effect.getAeffect();
    EXPECT_EQ(e.uniqueID, 0x61626364);
    EXPECT_EQ(e.numInputs, 5);
    EXPECT_EQ(e.numOutputs, 6);
    EXPECT_EQ(e.initialDelay, -7);
    EXPECT_EQ(e.realQualities, 8);
    EXPECT_EQ(e.offQualities, 9);
}

TEST(Record, BaseTextOperationsWriteOneZeroByte)
{
    class Plain : public AudioEffect {
    public:
        Plain() : AudioEffect(nullptr, 1, 1) {}
        void processReplacing(float**, float**, VstInt32) override {}
    } effect;
    using Op = std::function<void(char*)>;
    const Op ops[] = {
        [&](char* t) { effect.getProgramName(t); },
        [&](char* t) { effect.getParameterLabel(0, t); },
        [&](char* t) { effect.getParameterDisplay(0, t); },
        [&](char* t) { effect.getParameterName(0, t); },
    };
    for (const Op& op : ops) {
        char buffer[4] = {'x', 'x', 'x', 'x'};
        op(buffer);
        EXPECT_EQ(buffer[0], 0);
        EXPECT_EQ(buffer[1], 'x');
    }
}

TEST(Record, CallbacksReachTheInstance)
{
    RecordingEffect effect;
    AEffect* e = effect.getAeffect();
    e->setParameter(e, 2, 0.25f);
    EXPECT_EQ(effect.call, "setParameter(2)");
    EXPECT_EQ(effect.lastFloat, 0.25f);
    EXPECT_EQ(e->getParameter(e, 1), 0.75f);
    EXPECT_EQ(effect.call, "getParameter(1)");
    e->process(e, nullptr, nullptr, 5);
    EXPECT_EQ(effect.call, "process(5)");
    e->processReplacing(e, nullptr, nullptr, 6);
    EXPECT_EQ(effect.call, "processReplacing(6)");
    e->processDoubleReplacing(e, nullptr, nullptr, 7);
    EXPECT_EQ(effect.call, "processDoubleReplacing(7)");
    EXPECT_EQ(e->dispatcher(e, effGetVendorVersion, 0, 0, nullptr, 0.0f), 82);
}

} // namespace
