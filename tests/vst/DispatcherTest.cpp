#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

constexpr bool kDeprecated = VST_DEPRECATED_SUPPORT != 0;
constexpr VstIntPtr kAnyPointer = -2; // the answer must be a non-null pointer

// D: answered only with deprecated support. P: the host's buffer arrives unchanged, and without one
// nothing is called. Pv: the buffer arrives unchanged, even a null one. F: the float comes from opt.
enum Flags { D = 1, P = 2, Pv = 4, F = 8 };

struct Row {
    VstInt32 opcode;  // the number the host sends
    const char* call; // "" when nothing may be called
    VstIntPtr result;
    int flags;
};

// index 3, value 2, a buffer in ptr, opt 1.5 for every row, to an effect with an editor attached.
const Row kRows[] = {
    {0, "open()", 0, 0},
    {1, "close()", 0, 0},
    {2, "setProgram(2)", 0, 0},
    {3, "", 0, 0},
    {4, "setProgramName()", 0, P},
    {5, "getProgramName()", 0, P},
    {6, "getParameterLabel(3)", 0, P},
    {7, "getParameterDisplay(3)", 0, P},
    {8, "getParameterName(3)", 0, P},
    {9, "getVu()", 16383, D},
    {10, "setSampleRate()", 0, F},
    {11, "setBlockSize(2)", 0, 0},
    {12, "resume()", 0, 0},
    {13, "getRect", 1, 0},
    {14, "open", 1, 0},
    {15, "close", 0, 0},
    {16, "draw", 0, D},
    {17, "mouse(3,2)", 11, D},
    {18, "key(2)", 12, D},
    {19, "idle", 0, 0},
    {20, "top", 0, D},
    {21, "sleep", 0, D},
    {22, "", 0x4E764566, 0},
    {23, "getChunk(1)", 77, P},
    {24, "setChunk(2,1)", 78, P},
    {25, "processEvents()", 79, P},
    {26, "canParameterBeAutomated(3)", 1, 0},
    {27, "string2parameter(3)", 1, P},
    {28, "getNumCategories()", 5, D},
    {29, "getProgramNameIndexed(2,3)", 1, P},
    {30, "copyProgram(3)", 1, D},
    {31, "inputConnected(3,1)", 1, D},
    {32, "outputConnected(3,1)", 1, D},
    {33, "getInputProperties(3)", 1, P},
    {34, "getOutputProperties(3)", 1, P},
    {35, "getPlugCategory()", 6, 0},
    {36, "reportCurrentPosition()", 81, D},
    {37, "reportDestinationBuffer()", kAnyPointer, D},
    {38, "offlineNotify(2,1)", 1, P},
    {39, "offlinePrepare(2)", 1, P},
    {40, "offlineRun(2)", 1, P},
    {41, "processVariableIo()", 1, P},
    {42, "setSpeakerArrangement(2)", 1, P},
    {43, "setBlockSizeAndSampleRate(2)", 1, D | F},
    {44, "setBypass(1)", 1, 0},
    {45, "getEffectName()", 1, P},
    {46, "getErrorText()", 1, D | P},
    {47, "getVendorString()", 1, P},
    {48, "getProductString()", 1, P},
    {49, "getVendorVersion()", 82, 0},
    {50, "vendorSpecific(3,2)", 83, Pv | F},
    {51, "canDo()", -1, P},
    {52, "getGetTailSize()", 84, 0},
    {53, "fxIdle()", 85, D},
    {54, "getIcon()", kAnyPointer, D},
    {55, "setViewPosition(3,2)", 1, D},
    {56, "getParameterProperties(3)", 1, P},
    {57, "keysRequired()", 0, D},
    {58, "getVstVersion()", 2400, 0},
    {59, "onKeyDown", 1, 0},
    {60, "onKeyUp", 1, 0},
    {61, "setKnobMode(2)", 1, 0},
    {62, "getMidiProgramName(3)", 86, P},
    {63, "getCurrentMidiProgram(3)", 87, P},
    {64, "getMidiProgramCategory(3)", 88, P},
    {65, "hasMidiProgramsChanged(3)", 1, 0},
    {66, "getMidiKeyName(3)", 1, P},
    {67, "beginSetProgram()", 1, 0},
    {68, "endSetProgram()", 1, 0},
    {69, "getSpeakerArrangement(2)", 1, P},
    {70, "getNextShellPlugin()", 89, P},
    {71, "startProcess()", 90, 0},
    {72, "stopProcess()", 91, 0},
    {73, "setTotalSampleToProcess(2)", 2, 0},
    {74, "setPanLaw(2)", 1, F},
    {75, "beginLoadBank()", 93, P},
    {76, "beginLoadProgram()", 94, P},
    {77, "setProcessPrecision(2)", 1, 0},
    {78, "getNumMidiInputChannels()", 95, 0},
    {79, "getNumMidiOutputChannels()", 96, 0},
};

TEST(Dispatcher, EveryOpcodeReachesItsOperationWithItsArguments)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "opcode " << row.opcode);
        RecordingEffect effect;
        auto editor = new RecordingEditor;
        effect.setEditor(editor);
        alignas(16) char buffer[256] = {};
        const VstIntPtr result = effect.dispatcher(row.opcode, 3, 2, buffer, 1.5f);
        const bool active = !(row.flags & D) || kDeprecated;
        EXPECT_EQ(effect.call + editor->call, active ? row.call : ""); // called on the effect or its editor
        // Where any non-null pointer will do, a non-null answer reads as that.
        EXPECT_EQ(row.result == kAnyPointer && result != 0 ? kAnyPointer : result, active ? row.result : 0);
        EXPECT_EQ(effect.lastPtr, active && (row.flags & (P | Pv)) ? static_cast<void*>(buffer) : nullptr);
        EXPECT_EQ(effect.lastFloat, active && (row.flags & F) ? 1.5f : 0.0f);
        if (row.flags & P) {
            RecordingEffect withoutBuffer;
            EXPECT_EQ(withoutBuffer.dispatcher(row.opcode, 3, 2, nullptr, 1.5f), 0);
            EXPECT_EQ(withoutBuffer.call, "");
        }
    }
    // Unknown opcodes, the editor's without an editor, the arrangement rows without the input
    // pointer they carry in value: nothing is called.
    for (VstInt32 opcode : {-1, 13, 14, 15, 16, 17, 18, 19, 20, 21, 59, 60, 61, 80, 1000, 42, 69}) {
        RecordingEffect effect;
        char buffer[16] = {};
        EXPECT_EQ(effect.dispatcher(opcode, 3, 0, buffer, 1.5f), 0) << opcode;
        EXPECT_EQ(effect.call, "") << opcode;
    }
    // Flags taken from index, not value: index 0 clears them whatever value holds.
    const std::pair<VstInt32, const char*> fromIndex[] = {
        {23, "getChunk(0)"}, {24, "setChunk(2,0)"}, {38, "offlineNotify(2,0)"}};
    for (const auto& [opcode, call] : fromIndex) {
        RecordingEffect effect;
        char buffer[16] = {};
        effect.dispatcher(opcode, 0, 2, buffer, 0.0f);
        EXPECT_EQ(effect.call, call) << opcode;
    }
}

TEST(Dispatcher, SetProgramTakesOnlyExistingProgramsAndMainsOffSuspends)
{
    const VstIntPtr wide = sizeof(VstIntPtr) > 4 ? (VstIntPtr(1) << 32) + 1 : -2147483647;
    const std::pair<VstIntPtr, VstInt32> programs[] = {{3, 3}, {4, 0}, {-1, 0}, {1000, 0}, {0, 0}, {wide, 0}};
    for (const auto& [value, expected] : programs) {
        RecordingEffect effect; // four programs
        EXPECT_EQ(effect.dispatcher(effSetProgram, 0, value, nullptr, 0.0f), 0);
        EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0.0f), expected) << value;
    }
    const std::pair<VstIntPtr, const char*> mains[] = {{0, "suspend()"}, {1, "resume()"}, {-7, "resume()"}};
    for (const auto& [value, call] : mains) {
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
    // opcode, value, answer; keysRequired and the number of categories only with deprecated support
    const std::tuple<VstInt32, VstIntPtr, VstIntPtr> cases[] = {
        {58, 0, 2400},        {63, 0, -1},          {73, 4711, 4711}, {26, 0, 1}, {35, 0, kPlugCategUnknown},
        {57, 0, kDeprecated}, {28, 0, kDeprecated},
    };
    for (const auto& [opcode, value, expected] : cases) {
        PlainEffect effect;
        char buffer[64] = {};
        EXPECT_EQ(effect.dispatcher(opcode, 0, value, buffer, 0.0f), expected) << opcode;
    }

    PlainEffect effect;
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement *input = &dummy, *output = &dummy;
    EXPECT_EQ(effect.dispatcher(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output, 0.0f), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0.0f), kPlugCategSynth);
    for (VstInt32 opcode : {5, 6, 7, 8}) { // the text operations write one zero byte
        char text[4] = "xxx";
        effect.dispatcher(opcode, 0, 0, text, 0.0f);
        EXPECT_EQ(std::string(text, 3), std::string("\0xx", 3)) << opcode;
    }
}

TEST(Dispatcher, KeyCodeIsBuiltFromIndexValueAndOpt)
{
    // index, value, opt; character, virtual key, modifier
    using Key = std::tuple<VstInt32, int, int>;
    const std::tuple<VstInt32, VstIntPtr, float, Key> cases[] = {
        {65, 0x1234, 3.9f, {65, 0x34, 3}}, {0, 7, -1.5f, {0, 7, 0xff}}, {-3, 0x1ff, 300.0f, {-3, 0xff, 300 & 0xff}}};
    for (const auto& [index, value, opt, key] : cases) {
        RecordingEffect effect;
        auto editor = new RecordingEditor;
        effect.setEditor(editor);
        effect.dispatcher(effEditKeyUp, index, value, nullptr, opt);
        EXPECT_EQ(Key(editor->lastKey.character, editor->lastKey.virt, editor->lastKey.modifier), key);
    }
}

} // namespace
