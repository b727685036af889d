// A test effect that records which virtual operation the framework called, with its arguments,
// and answers with a value of its own, so that a host can tell which operation answered.
#pragma once

#include "vst/AEffEditor.h"
#include "vst/AudioEffectX.h"

#include <sstream>
#include <string>

// "name(a,b)": the operation and its number arguments.
template <typename... Args> std::string fmt(const char* name, Args... args)
{
    std::ostringstream s;
    ((s << ',' << args), ...);
    return std::string(name) + "(" + s.str().erase(0, 1) + ")"; // without the first comma
}

// Overrides that record their name (a deprecated one under its plain name only where it is
// answered) and give an answer: R0 without arguments, RI with an index, RT with a buffer (kept in
// lastPtr), RIT with an index and a buffer. A name goes through one more macro to expand first.
// clang-format off
#define NAME(name) NAME_(name)
#define NAME_(name) #name
#define R0(T, name, answer) T name() override { record(NAME(name)); return answer; }
#define RI(T, name, answer) T name(VstInt32 i) override { record(NAME(name), i); return answer; }
#define RT(T, name, P, answer) T name(P* p) override { recordPtr(p, NAME(name)); return answer; }
#define RIT(T, name, P, answer) T name(VstInt32 i, P* p) override { recordPtr(p, #name, i); return answer; }
#define RPN(name) bool name(VstOfflineTask* t, VstInt32 n) override { recordPtr(t, #name, n); return true; }
#define RIB(name) void VST_DEPRECATED(name)(VstInt32 i, bool s) override { record(#name, i, s); }
#define RSA(name, P) bool name(P in, P out) override { recordPtr(out, #name, reinterpret_cast<VstIntPtr>(in)); return true; }

class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(audioMasterCallback host = nullptr) : AudioEffectX(host, 4, 3) {}

    std::string call, asked; // the last operation called ("" when none), the text canDo was asked
    void* lastPtr = nullptr;
    float vu = 0.5f;               // what getVu answers
    VstInt32 canDoAnswer = -1;     // what canDo answers
    int copies = 0, succeeding = 1000; // copySpeaker calls, and how many of them succeed

    template <typename... Args> void record(const char* name, Args... args) { call = fmt(name, args...); }
    template <typename... Args> void recordPtr(void* p, const char* name, Args... args) { lastPtr = p; record(name, args...); }
    // The operation the opcode called and its answer: "call()=answer".
    std::string ask(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) { const VstIntPtr answer = dispatcher(opcode, index, value, ptr, opt); return call + "=" + std::to_string(answer); }

    R0(void, open, ) R0(void, close, ) R0(void, suspend, ) R0(void, resume, ) R0(bool, beginSetProgram, true)
    R0(bool, endSetProgram, true) R0(bool, VST_DEPRECATED(keysRequired), true) R0(VstInt32, getPlugCategory, 6)
    R0(VstInt32, VST_DEPRECATED(getNumCategories), 5) R0(VstInt32, getVstVersion, 2300) R0(VstInt32, getGetTailSize, 84)
    R0(VstInt32, VST_DEPRECATED(reportCurrentPosition), 81) R0(VstInt32, getVendorVersion, 82)
    R0(VstInt32, VST_DEPRECATED(fxIdle), 85) R0(VstInt32, startProcess, 90) R0(VstInt32, stopProcess, 91)
    R0(VstInt32, getNumMidiInputChannels, 95) R0(VstInt32, getNumMidiOutputChannels, 96)
    R0(float*, VST_DEPRECATED(reportDestinationBuffer), &vu) R0(void*, VST_DEPRECATED(getIcon), &vu)
    R0(float, VST_DEPRECATED(getVu), vu) RI(bool, canParameterBeAutomated, true) RI(bool, hasMidiProgramsChanged, true)
    RI(bool, VST_DEPRECATED(copyProgram), true) RI(bool, setProcessPrecision, true) RI(void, setBlockSize, )
    RI(VstInt32, setTotalSampleToProcess, 92) RI(float, getParameter, 0.75f) RT(void, setProgramName, char, )
    RT(void, getProgramName, char, ) RT(bool, getEffectName, char, true) RT(bool, VST_DEPRECATED(getErrorText), char, true)
    RT(bool, getVendorString, char, true) RT(bool, getProductString, char, true) RT(VstInt32, getNextShellPlugin, char, 89)
    RT(VstInt32, processEvents, VstEvents, 79) RT(VstInt32, beginLoadBank, VstPatchChunkInfo, 93)
    RT(VstInt32, beginLoadProgram, VstPatchChunkInfo, 94) RT(bool, processVariableIo, VstVariableIo, true)
    RIT(void, getParameterLabel, char, ) RIT(void, getParameterDisplay, char, ) RIT(void, getParameterName, char, )
    RIT(bool, string2parameter, char, true) RIT(bool, getInputProperties, VstPinProperties, true)
    RIT(bool, getOutputProperties, VstPinProperties, true) RIT(bool, getParameterProperties, VstParameterProperties, true)
    RIT(VstInt32, getMidiProgramName, MidiProgramName, 86) RIT(VstInt32, getCurrentMidiProgram, MidiProgramName, 87)
    RIT(VstInt32, getMidiProgramCategory, MidiProgramCategory, 88) RIT(bool, getMidiKeyName, MidiKeyName, true)
    RPN(offlinePrepare) RPN(offlineRun) RIB(inputConnected) RIB(outputConnected)
    RSA(setSpeakerArrangement, VstSpeakerArrangement*) RSA(getSpeakerArrangement, VstSpeakerArrangement**)

    VstInt32 canDo(char* p) override { recordPtr(p, "canDo"); asked = p; return canDoAnswer; }
    void processReplacing(float**, float**, VstInt32 n) override { record("processReplacing", n); }
    void VST_DEPRECATED(process)(float**, float**, VstInt32 n) override { record("process", n); }
    void processDoubleReplacing(double**, double**, VstInt32 n) override { record("processDoubleReplacing", n); }
    void setSampleRate(float r) override { record("setSampleRate", r); }
    void setParameter(VstInt32 i, float v) override { record("setParameter", i, v); }
    void setProgram(VstInt32 p) override { record("setProgram", p); AudioEffectX::setProgram(p); }
    VstInt32 getChunk(void** d, bool p) override { recordPtr(d, "getChunk", p); return 77; }
    VstInt32 setChunk(void* d, VstInt32 n, bool p) override { recordPtr(d, "setChunk", n, p); return 78; }
    bool getProgramNameIndexed(VstInt32 c, VstInt32 i, char* t) override { recordPtr(t, "getProgramNameIndexed", c, i); return true; }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool s) override { recordPtr(f, "offlineNotify", n, s); return true; }
    void VST_DEPRECATED(setBlockSizeAndSampleRate)(VstInt32 n, float r) override { record("setBlockSizeAndSampleRate", n, r); }
    bool setBypass(bool b) override { record("setBypass", b); return true; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override { recordPtr(p, "vendorSpecific", a, b, f); return 83; }
    bool VST_DEPRECATED(setViewPosition)(VstInt32 x, VstInt32 y) override { record("setViewPosition", x, y); return true; }
    bool setPanLaw(VstInt32 t, float v) override { record("setPanLaw", t, v); return true; }
    // A failed copy stops matchArrangement, which keeps what it copied.
    bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) override { return ++copies <= succeeding && AudioEffectX::copySpeaker(to, from); }
};

// An editor that records what the dispatcher forwarded to it, and counts how many editors went.
class RecordingEditor : public AEffEditor {
public:
    static inline int destroyed = 0;
    ~RecordingEditor() override { ++destroyed; }
    std::string call;
    bool getRect(ERect** r) override { *r = nullptr; call = "getRect"; return true; } void idle() override { call = "idle"; }
    bool open(void*) override { call = "open"; return true; } void close() override { call = "close"; }
    void draw(ERect*) override { call = "draw"; } void top() override { call = "top"; } void sleep() override { call = "sleep"; }
    VstInt32 mouse(VstInt32 x, VstIntPtr y) override { call = fmt("mouse", x, y); return 11; }
    VstInt32 key(VstIntPtr k) override { call = fmt("key", k); return 12; }
    bool onKeyDown(VstKeyCode& k) override { call = fmt("onKeyDown", k.character, +k.virt, +k.modifier); return true; }
    bool onKeyUp(VstKeyCode& k) override { call = fmt("onKeyUp", k.character, +k.virt, +k.modifier); return true; }
    bool setKnobMode(VstInt32 m) override { call = fmt("setKnobMode", m); return true; }
};
// clang-format on
