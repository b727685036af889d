#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

namespace {

constexpr bool kDeprecated = VST_DEPRECATED_SUPPORT != 0;
constexpr VstIntPtr kAnyPointer = -2; // the answer must be a non-null pointer

// D: answered only with deprecated support. P: the host's buffer arrives unchanged, and without one
// nothing is called. Pv: the buffer arrives unchanged, even a null one. E: the editor's, and without
// an editor nothing is called. Z: an effect that overrides nothing writes a zero into the buffer.
enum Flags { D = 1, P = 2, Pv = 4, E = 8, Z = 16 };

// Row i is opcode i: the call ("" when nothing may be called), its answer, and the answer of an
// effect and an editor that override nothing. Index 3, value 2, a buffer in ptr, opt 1.5 for every row,
// from program 1.
// clang-format off
const std::tuple<const char*, VstIntPtr, VstIntPtr, int> kRows[] = {
    {"open()", 0, 0, 0}, {"close()", 0, 0, 0}, {"setProgram(2)", 0, 0, 0}, {"", 1, 0, 0}, {"setProgramName()", 0, 0, P},
    {"getProgramName()", 0, 0, P | Z}, {"getParameterLabel(3)", 0, 0, P | Z}, {"getParameterDisplay(3)", 0, 0, P | Z},
    {"getParameterName(3)", 0, 0, P | Z}, {"getVu()", 16383, 0, D}, {"setSampleRate(1.5)", 0, 0, 0},
    {"setBlockSize(2)", 0, 0, 0}, {"resume()", 0, 0, 0}, {"getRect", 1, 0, E | Z}, {"open", 1, 0, E},
    {"close", 0, 0, E}, {"draw", 0, 0, D | E}, {"mouse(3,2)", 11, 0, D | E}, {"key(2)", 12, 0, D | E},
    {"idle", 0, 0, E}, {"top", 0, 0, D | E}, {"sleep", 0, 0, D | E}, {"", 0x4E764566, 0x4E764566, 0},
    {"getChunk(1)", 77, 0, P}, {"setChunk(2,1)", 78, 0, P}, {"processEvents()", 79, 0, P},
    {"canParameterBeAutomated(3)", 1, 1, 0}, {"string2parameter(3)", 1, 0, P}, {"getNumCategories()", 5, 1, D},
    {"getProgramNameIndexed(2,3)", 1, 0, P}, {"copyProgram(3)", 1, 0, D}, {"inputConnected(3,1)", 1, 1, D},
    {"outputConnected(3,1)", 1, 1, D}, {"getInputProperties(3)", 1, 0, P}, {"getOutputProperties(3)", 1, 0, P},
    {"getPlugCategory()", 6, 0, 0}, {"reportCurrentPosition()", 81, 0, D},
    {"reportDestinationBuffer()", kAnyPointer, 0, D}, {"offlineNotify(2,1)", 1, 0, P}, {"offlinePrepare(2)", 1, 0, P},
    {"offlineRun(2)", 1, 0, P}, {"processVariableIo()", 1, 0, P}, {"setSpeakerArrangement(2)", 1, 0, P},
    {"setBlockSizeAndSampleRate(2,1.5)", 1, 1, D}, {"setBypass(1)", 1, 0, 0}, {"getEffectName()", 1, 0, P},
    {"getErrorText()", 1, 0, D | P}, {"getVendorString()", 1, 0, P}, {"getProductString()", 1, 0, P},
    {"getVendorVersion()", 82, 0, 0}, {"vendorSpecific(3,2,1.5)", 83, 0, Pv}, {"canDo()", -1, 0, P},
    {"getGetTailSize()", 84, 0, 0}, {"fxIdle()", 85, 0, D}, {"getIcon()", kAnyPointer, 0, D},
    {"setViewPosition(3,2)", 1, 0, D}, {"getParameterProperties(3)", 1, 0, P}, {"keysRequired()", 0, 1, D},
    {"getVstVersion()", 2300, 2400, 0}, {"onKeyDown(3,2,1)", 1, 0, E}, {"onKeyUp(3,2,1)", 1, 0, E},
    {"setKnobMode(2)", 1, 0, E}, {"getMidiProgramName(3)", 86, 0, P}, {"getCurrentMidiProgram(3)", 87, -1, P},
    {"getMidiProgramCategory(3)", 88, 0, P}, {"hasMidiProgramsChanged(3)", 1, 0, 0}, {"getMidiKeyName(3)", 1, 0, P},
    {"beginSetProgram()", 1, 0, 0}, {"endSetProgram()", 1, 0, 0}, {"getSpeakerArrangement(2)", 1, 0, P | Z},
    {"getNextShellPlugin()", 89, 0, P}, {"startProcess()", 90, 0, 0}, {"stopProcess()", 91, 0, 0},
    {"setTotalSampleToProcess(2)", 92, 2, 0}, {"setPanLaw(2,1.5)", 1, 0, 0}, {"beginLoadBank()", 93, 0, P},
    {"beginLoadProgram()", 94, 0, P}, {"setProcessPrecision(2)", 1, 0, 0}, {"getNumMidiInputChannels()", 95, 0, 0},
    {"getNumMidiOutputChannels()", 96, 0, 0},
};
// clang-format on

// An effect that overrides only what it must: the host sees the framework's defaults.
struct PlainEffect : AudioEffectX {
    using AudioEffectX::AudioEffectX;
    void processReplacing(float**, float**, VstInt32) override {}
};

TEST(Dispatcher, EveryOpcodeReachesItsOperationOrItsDefault)
{
    for (VstInt32 opcode = 0; opcode < VstInt32(std::size(kRows)); ++opcode) {
        const auto& [call, answer, plainAnswer, flags] = kRows[opcode];
        SCOPED_TRACE(::testing::Message() << "opcode " << opcode);
        const bool active = !(flags & D) || kDeprecated;
        RecordingEffect effect, bare; // bare has no editor
        auto editor = new RecordingEditor;
        effect.setEditor(editor);
        effect.AudioEffectX::setProgram(1); // not recorded as a call
        alignas(16) char buffer[256] = {};
        const VstIntPtr result = effect.dispatcher(opcode, 3, 2, buffer, 1.5f);
        EXPECT_EQ(effect.call + editor->call, active ? call : ""); // called on the effect or its editor
        // Where any non-null pointer will do, a non-null answer reads as that.
        EXPECT_EQ(answer == kAnyPointer && result != 0 ? kAnyPointer : result, active ? answer : 0);
        EXPECT_EQ(effect.lastPtr, active && (flags & (P | Pv)) ? static_cast<void*>(buffer) : nullptr);
        EXPECT_EQ(flags & (P | E) ? bare.ask(opcode, 3, 2, nullptr, 1.5f) : "=0", "=0");

        PlainEffect plain(nullptr, 2, 2);
        plain.setEditor(new AEffEditor);
        std::memset(buffer, 'x', sizeof buffer);
        // The speaker arrangement's value carries a pointer: one into the buffer's far half.
        const VstIntPtr value = opcode == effGetSpeakerArrangement ? reinterpret_cast<VstIntPtr>(buffer + 128) : 2;
        EXPECT_EQ(plain.dispatcher(opcode, 3, value, buffer, 1.5f), active ? plainAnswer : 0);
        EXPECT_EQ(buffer[0], active && (flags & Z) ? 0 : 'x');
    }
    PlainEffect synth(nullptr, 2, 2);
    synth.isSynth();
    EXPECT_EQ(synth.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0.0f), kPlugCategSynth);
}

TEST(Dispatcher, ValuesOutOfRangeAreRefused)
{
    // Unknown opcodes, the speaker arrangements without the pointer they carry in value, and programs
    // other than the four (-1: none): nothing is called.
    const VstIntPtr wide = sizeof(VstIntPtr) > 4 ? static_cast<VstIntPtr>((std::int64_t{1} << 32) + 1) : -2147483647;
    // clang-format off
    const std::tuple<VstInt32, VstIntPtr, std::string> cases[] = {
        {-1, 0, "=0"}, {80, 0, "=0"}, {1000, 0, "=0"}, {42, 0, "=0"}, {69, 0, "=0"}, {effSetProgram, 4, "=0"},
        {effSetProgram, -1, "=0"}, {effSetProgram, wide, "=0"}, {effSetProgram, 3, "setProgram(3)=0"},
        {effSetProgram, 0, "setProgram(0)=0"}, {effMainsChanged, 0, "suspend()=0"}};
    // clang-format on
    char buffer[16] = {};
    for (const auto& [opcode, value, call] : cases)
        EXPECT_EQ(RecordingEffect().ask(opcode, 3, value, buffer, 1.5f), call) << opcode << ", value " << value;
    // A meter value the answer cannot hold reads as 0.
    RecordingEffect effect;
    for (const auto& [vu, answer] : {std::pair{-0.5f, -16383}, {65600.0f, 0}, {-65600.0f, 0}}) {
        effect.vu = vu;
        EXPECT_EQ(effect.dispatcher(effGetVu, 0, 0, nullptr, 0.0f), kDeprecated ? answer : 0) << vu;
    }
    // The virtual key is value's low byte, the modifier opt truncated to its low byte; a value no
    // integer holds gives none. (No two rows in a row record the same call.)
    auto editor = new RecordingEditor;
    effect.setEditor(editor);
    for (const auto& [opt, modifier] : {std::pair{3.9f, 3}, {2.15e9f, 0}, {-1.5f, 255}, {NAN, 0}}) {
        effect.dispatcher(effEditKeyUp, 65, 0x1234, nullptr, opt);
        EXPECT_EQ(editor->call, fmt("onKeyUp", 65, 52, modifier)) << opt;
    }
}

} // namespace
