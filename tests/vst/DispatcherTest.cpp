#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr bool kDeprecated = VST_DEPRECATED_SUPPORT != 0;
constexpr VstIntPtr kAnyPointer = -2; // the answer must be a non-null pointer

struct Row {
    VstInt32 opcode;
    const char* call; // "" when nothing may be called
    VstIntPtr result;
    bool deprecated; // answered only with deprecated support
    bool passesPtr;  // the host's buffer must arrive unchanged
};

// index 3, value 2, a buffer in ptr, opt 1.5 for every row.
const Row kRows[] = {
    {-1, "", 0, false, false},
    {effOpen, "open()", 0, false, false},
    {effClose, "close()", 0, false, false},
    {effSetProgram, "setProgram(2)", 0, false, false},
    {effGetProgram, "", 0, false, false},
    {effSetProgramName, "setProgramName()", 0, false, true},
    {effGetProgramName, "getProgramName()", 0, false, true},
    {effGetParamLabel, "getParameterLabel(3)", 0, false, true},
    {effGetParamDisplay, "getParameterDisplay(3)", 0, false, true},
    {effGetParamName, "getParameterName(3)", 0, false, true},
    {effGetVu, "getVu()", 16383, true, false},
    {effSetSampleRate, "setSampleRate()", 0, false, false},
    {effSetBlockSize, "setBlockSize(2)", 0, false, false},
    {effMainsChanged, "resume()", 0, false, false},
    {effEditGetRect, "", 0, false, false},
    {effEditOpen, "", 0, false, false},
    {effEditClose, "", 0, false, false},
    {effEditDraw, "", 0, false, false},
    {effEditMouse, "", 0, false, false},
    {effEditKey, "", 0, false, false},
    {effEditIdle, "", 0, false, false},
    {effEditTop, "", 0, false, false},
    {effEditSleep, "", 0, false, false},
    {effIdentify, "", 0x4E764566, false, false},
    {effGetChunk, "getChunk(1)", 77, false, true},
    {effSetChunk, "setChunk(2,1)", 78, false, true},
    {effProcessEvents, "processEvents()", 79, false, true},
    {effCanBeAutomated, "canParameterBeAutomated(3)", 1, false, false},
    {effString2Parameter, "string2parameter(3)", 1, false, true},
    {effGetNumProgramCategories, "getNumCategories()", 5, true, false},
    {effGetProgramNameIndexed, "getProgramNameIndexed(2,3)", 1, false, true},
    {effCopyProgram, "copyProgram(3)", 1, true, false},
    {effConnectInput, "inputConnected(3,1)", 1, true, false},
    {effConnectOutput, "outputConnected(3,1)", 1, true, false},
    {effGetInputProperties, "getInputProperties(3)", 1, false, true},
    {effGetOutputProperties, "getOutputProperties(3)", 1, false, true},
    {effGetPlugCategory, "getPlugCategory()", 6, false, false},
    {effGetCurrentPosition, "reportCurrentPosition()", 81, true, false},
    {effGetDestinationBuffer, "reportDestinationBuffer()", kAnyPointer, true, false},
    {effOfflineNotify, "offlineNotify(2,1)", 1, false, true},
    {effOfflinePrepare, "offlinePrepare(2)", 1, false, true},
    {effOfflineRun, "offlineRun(2)", 1, false, true},
    {effProcessVarIo, "processVariableIo()", 1, false, true},
    {effSetSpeakerArrangement, "setSpeakerArrangement(2)", 1, false, true},
    {effSetBlockSizeAndSampleRate, "setBlockSizeAndSampleRate(2)", 1, true, false},
    {effSetBypass, "setBypass(1)", 1, false, false},
    {effGetEffectName, "getEffectName()", 1, false, true},
    {effGetErrorText, "getErrorText()", 1, true, true},
    {effGetVendorString, "getVendorString()", 1, false, true},
    {effGetProductString, "getProductString()", 1, false, true},
    {effGetVendorVersion, "getVendorVersion()", 82, false, false},
    {effVendorSpecific, "vendorSpecific(3,2)", 83, false, true},
    {effCanDo, "canDo()", -1, false, true},
    {effGetTailSize, "getGetTailSize()", 84, false, false},
    {effIdle, "fxIdle()", 85, true, false},
    {effGetIcon, "getIcon()", kAnyPointer, true, false},
    {effSetViewPosition, "setViewPosition(3,2)", 1, true, false},
    {effGetParameterProperties, "getParameterProperties(3)", 1, false, true},
    {effKeysRequired, "keysRequired()", 0, true, false},
    {effGetVstVersion, "getVstVersion()", 2400, false, false},
    {effEditKeyDown, "", 0, false, false},
    {effEditKeyUp, "", 0, false, false},
    {effSetEditKnobMode, "", 0, false, false},
    {effGetMidiProgramName, "getMidiProgramName(3)", 86, false, true},
    {effGetCurrentMidiProgram, "getCurrentMidiProgram(3)", 87, false, true},
    {effGetMidiProgramCategory, "getMidiProgramCategory(3)", 88, false, true},
    {effHasMidiProgramsChanged, "hasMidiProgramsChanged(3)", 1, false, false},
    {effGetMidiKeyName, "getMidiKeyName(3)", 1, false, true},
    {effBeginSetProgram, "beginSetProgram()", 1, false, false},
    {effEndSetProgram, "endSetProgram()", 1, false, false},
    {effGetSpeakerArrangement, "getSpeakerArrangement(2)", 1, false, true},
    {effShellGetNextPlugin, "getNextShellPlugin()", 89, false, true},
    {effStartProcess, "startProcess()", 90, false, false},
    {effStopProcess, "stopProcess()", 91, false, false},
    {effSetTotalSampleToProcess, "setTotalSampleToProcess(2)", 2, false, false},
    {effSetPanLaw, "setPanLaw(2)", 1, false, false},
    {effBeginLoadBank, "beginLoadBank()", 93, false, true},
    {effBeginLoadProgram, "beginLoadProgram()", 94, false, true},
    {effSetProcessPrecision, "setProcessPrecision(2)", 1, false, false},
    {effGetNumMidiInputChannels, "getNumMidiInputChannels()", 95, false, false},
    {effGetNumMidiOutputChannels, "getNumMidiOutputChannels()", 96, false, false},
    {80, "", 0, false, false},
    {1000, "", 0, false, false},
};

TEST(Dispatcher, EveryOpcodeReachesItsOperationWithItsArguments)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "opcode " << row.opcode);
        RecordingEffect effect;
        alignas(16) char buffer[256] = {};
        const VstIntPtr result = effect.dispatcher(row.opcode, 3, 2, buffer, 1.5f);
        const bool active = !row.deprecated || kDeprecated;
        if (!active) {
            EXPECT_EQ(effect.call, "");
            EXPECT_EQ(result, 0);
            continue;
        }
        EXPECT_EQ(effect.call, row.call);
        if (row.result == kAnyPointer) {
            EXPECT_NE(result, 0);
        } else {
            EXPECT_EQ(result, row.result);
        }
        if (row.passesPtr) {
            EXPECT_EQ(effect.lastPtr, static_cast<void*>(buffer));
        }
    }
}

TEST(Dispatcher, FloatArgumentsComeFromOpt)
{
    const VstInt32 opcodes[] = {effSetSampleRate, effSetPanLaw, effVendorSpecific, effSetBlockSizeAndSampleRate};
    for (VstInt32 opcode : opcodes) {
        SCOPED_TRACE(opcode);
        RecordingEffect effect;
        char buffer[8] = {};
        effect.dispatcher(opcode, 3, 2, buffer, 1.5f);
        if (opcode == effSetBlockSizeAndSampleRate && !kDeprecated)
            continue;
        EXPECT_EQ(effect.lastFloat, 1.5f);
    }
}

TEST(Dispatcher, NullPointerRowsCallNothing)
{
    const VstInt32 opcodes[] = {effSetProgramName,
                                effGetProgramName,
                                effGetParamLabel,
                                effGetParamDisplay,
                                effGetParamName,
                                effGetChunk,
                                effSetChunk,
                                effProcessEvents,
                                effString2Parameter,
                                effGetProgramNameIndexed,
                                effGetInputProperties,
                                effGetOutputProperties,
                                effOfflineNotify,
                                effOfflinePrepare,
                                effOfflineRun,
                                effProcessVarIo,
                                effSetSpeakerArrangement,
                                effGetEffectName,
                                effGetErrorText,
                                effGetVendorString,
                                effGetProductString,
                                effCanDo,
                                effGetParameterProperties,
                                effGetMidiProgramName,
                                effGetCurrentMidiProgram,
                                effGetMidiProgramCategory,
                                effGetMidiKeyName,
                                effGetSpeakerArrangement,
                                effShellGetNextPlugin,
                                effBeginLoadBank,
                                effBeginLoadProgram};
    for (VstInt32 opcode : opcodes) {
        SCOPED_TRACE(opcode);
        RecordingEffect effect;
        EXPECT_EQ(effect.dispatcher(opcode, 3, 2, nullptr, 0.0f), 0);
        EXPECT_EQ(effect.call, "");
    }
    // The arrangement rows carry their input pointer in value.
    for (VstInt32 opcode : {effSetSpeakerArrangement, effGetSpeakerArrangement}) {
        RecordingEffect effect;
        char buffer[16] = {};
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, buffer, 0.0f), 0);
        EXPECT_EQ(effect.call, "");
    }
}

TEST(Dispatcher, SetProgramAcceptsOnlyExistingPrograms)
{
    struct Case {
        VstIntPtr value;
        VstInt32 expected;
    };
    const Case cases[] = {
        {3, 3},    {4, 0}, {-1, 0},
        {1000, 0}, {0, 0}, {static_cast<VstIntPtr>(sizeof(VstIntPtr) > 4 ? (VstIntPtr(1) << 32) + 1 : -2147483647), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        RecordingEffect effect; // four programs
        EXPECT_EQ(effect.dispatcher(effSetProgram, 0, c.value, nullptr, 0.0f), 0);
        EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0.0f), c.expected);
    }
}

TEST(Dispatcher, MainsChangedSuspendsOnlyForZero)
{
    const std::pair<VstIntPtr, const char*> cases[] = {
        {0, "suspend()"}, {1, "resume()"}, {-7, "resume()"}, {256, "resume()"}};
    for (const auto& [value, call] : cases) {
        RecordingEffect effect;
        effect.dispatcher(effMainsChanged, 0, value, nullptr, 0.0f);
        EXPECT_EQ(effect.call, call) << value;
    }
}

// An effect that overrides only what it must: the host sees the framework's defaults.
class PlainEffect : public AudioEffectX {
public:
    PlainEffect() : AudioEffectX(nullptr, 2, 2) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

TEST(Dispatcher, DefaultAnswers)
{
    struct Case {
        VstInt32 opcode;
        VstIntPtr value;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {effGetVstVersion, 0, 2400},
        {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 4711, 4711},
        {effKeysRequired, 0, kDeprecated ? 1 : 0},
        {effGetNumProgramCategories, 0, kDeprecated ? 1 : 0},
        {effIdentify, 0, 0x4E764566},
        {effCanBeAutomated, 0, 1},
        {effCanDo, 0, 0},
        {effGetPlugCategory, 0, kPlugCategUnknown},
        {effGetTailSize, 0, 0},
        {effGetVendorVersion, 0, 0},
        {effGetChunk, 0, 0},
        {effGetEffectName, 0, 0},
        {effEditGetRect, 0, 0},
        {effEditOpen, 0, 0},
        {effEditKeyDown, 0, 0},
        {effSetEditKnobMode, 0, 0},
        {effConnectInput, 1, kDeprecated ? 1 : 0},
        {effSetBlockSizeAndSampleRate, 512, kDeprecated ? 1 : 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opcode);
        PlainEffect effect;
        char buffer[64] = {};
        EXPECT_EQ(effect.dispatcher(c.opcode, 0, c.value, buffer, 0.0f), c.expected);
    }
}

TEST(Dispatcher, DefaultSpeakerArrangementIsNone)
{
    PlainEffect effect;
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* input = &dummy;
    VstSpeakerArrangement* output = &dummy;
    EXPECT_EQ(effect.dispatcher(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output, 0.0f), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST(Dispatcher, SynthFlagChangesDefaultCategory)
{
    PlainEffect effect;
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0.0f), kPlugCategSynth);
}

TEST(Dispatcher, EditorRowsForwardToAnAttachedEditor)
{
    struct Case {
        VstInt32 opcode;
        const char* call;
        VstIntPtr result;
        bool deprecated;
    };
    const Case cases[] = {
        {effEditGetRect, "getRect", 1, false},  {effEditOpen, "open", 1, false},
        {effEditClose, "close", 0, false},      {effEditDraw, "draw", 0, true},
        {effEditMouse, "mouse(3,2)", 11, true}, {effEditKey, "key(2)", 12, true},
        {effEditIdle, "idle", 0, false},        {effEditTop, "top", 0, true},
        {effEditSleep, "sleep", 0, true},       {effEditKeyDown, "onKeyDown", 1, false},
        {effEditKeyUp, "onKeyUp", 1, false},    {effSetEditKnobMode, "setKnobMode(2)", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opcode);
        RecordingEffect effect;
        auto editor = new RecordingEditor;
        effect.setEditor(editor);
        void* rect = nullptr;
        const VstIntPtr result = effect.dispatcher(c.opcode, 3, 2, &rect, 1.0f);
        const bool active = !c.deprecated || kDeprecated;
        EXPECT_EQ(editor->call, active ? c.call : "");
        EXPECT_EQ(result, active ? c.result : 0);
    }
}

TEST(Dispatcher, KeyCodeIsBuiltFromIndexValueAndOpt)
{
    struct Case {
        VstInt32 index;
        VstIntPtr value;
        float opt;
        unsigned char virt, modifier;
    };
    const Case cases[] = {{65, 0x1234, 3.9f, 0x34, 3}, {0, 7, -1.5f, 7, 0xff}, {-3, 0x1ff, 300.0f, 0xff, 300 & 0xff}};
    for (const Case& c : cases) {
        RecordingEffect effect;
        auto editor = new RecordingEditor;
        effect.setEditor(editor);
        effect.dispatcher(effEditKeyUp, c.index, c.value, nullptr, c.opt);
        EXPECT_EQ(editor->lastKey.character, c.index);
        EXPECT_EQ(editor->lastKey.virt, c.virt);
        EXPECT_EQ(editor->lastKey.modifier, c.modifier);
    }
}

} // namespace
