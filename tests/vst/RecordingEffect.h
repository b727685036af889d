// A test effect that records which virtual operation the framework called, with its arguments,
// and answers with a value that shows how the dispatcher converted it.
#pragma once

#include "vst/AEffEditor.h"
#include "vst/AudioEffectX.h"

#include <string>

// "name(a,b)": the operation and its integer arguments.
template <typename... Args> std::string fmt(const char* name, Args... args)
{
    std::string s = std::string(name) + "(";
    ((s += std::to_string(static_cast<long long>(args)) + ","), ...);
    if (sizeof...(args) > 0)
        s.pop_back();
    return s + ")";
}

// One override per line: the table reads better than the formatter's layout.
// clang-format off
class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(audioMasterCallback host = nullptr) : AudioEffectX(host, 4, 3) {}

    std::string call; // the last operation called, "" when none
    void* lastPtr = nullptr;
    float lastFloat = 0.0f;

    template <typename... Args> void record(const char* name, Args... args) { call = fmt(name, args...); }
    template <typename... Args> void recordPtr(void* p, const char* name, Args... args) { lastPtr = p; record(name, args...); }

    void processReplacing(float**, float**, VstInt32 n) override { record("processReplacing", n); }
    void open() override { record("open"); }
    void close() override { record("close"); }
    void suspend() override { record("suspend"); }
    void resume() override { record("resume"); }
    void setSampleRate(float r) override { lastFloat = r; record("setSampleRate"); }
    void setBlockSize(VstInt32 n) override { record("setBlockSize", n); }
    void setParameter(VstInt32 i, float v) override { lastFloat = v; record("setParameter", i); }
    float getParameter(VstInt32 i) override { record("getParameter", i); return 0.75f; }
    void setProgram(VstInt32 p) override { record("setProgram", p); AudioEffectX::setProgram(p); }
    void setProgramName(char* n) override { recordPtr(n, "setProgramName"); }
    void getProgramName(char* n) override { recordPtr(n, "getProgramName"); }
    void getParameterLabel(VstInt32 i, char* t) override { recordPtr(t, "getParameterLabel", i); }
    void getParameterDisplay(VstInt32 i, char* t) override { recordPtr(t, "getParameterDisplay", i); }
    void getParameterName(VstInt32 i, char* t) override { recordPtr(t, "getParameterName", i); }
    VstInt32 getChunk(void** d, bool p) override { recordPtr(d, "getChunk", p); return 77; }
    VstInt32 setChunk(void* d, VstInt32 n, bool p) override { recordPtr(d, "setChunk", n, p); return 78; }
    float VST_DEPRECATED(getVu)() override { record("getVu"); return 0.5f; }
    void VST_DEPRECATED(process)(float**, float**, VstInt32 n) override { record("process", n); }
    void processDoubleReplacing(double**, double**, VstInt32 n) override { record("processDoubleReplacing", n); }

    VstInt32 processEvents(VstEvents* e) override { recordPtr(e, "processEvents"); return 79; }
    bool canParameterBeAutomated(VstInt32 i) override { record("canParameterBeAutomated", i); return true; }
    bool string2parameter(VstInt32 i, char* t) override { recordPtr(t, "string2parameter", i); return true; }
    VstInt32 VST_DEPRECATED(getNumCategories)() override { record("getNumCategories"); return 5; }
    bool getProgramNameIndexed(VstInt32 c, VstInt32 i, char* t) override { recordPtr(t, "getProgramNameIndexed", c, i); return true; }
    bool VST_DEPRECATED(copyProgram)(VstInt32 d) override { record("copyProgram", d); return true; }
    void VST_DEPRECATED(inputConnected)(VstInt32 i, bool s) override { record("inputConnected", i, s); }
    void VST_DEPRECATED(outputConnected)(VstInt32 i, bool s) override { record("outputConnected", i, s); }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override { recordPtr(p, "getInputProperties", i); return true; }
    bool getOutputProperties(VstInt32 i, VstPinProperties* p) override { recordPtr(p, "getOutputProperties", i); return true; }
    VstInt32 getPlugCategory() override { record("getPlugCategory"); return 6; }
    VstInt32 VST_DEPRECATED(reportCurrentPosition)() override { record("reportCurrentPosition"); return 81; }
    float* VST_DEPRECATED(reportDestinationBuffer)() override { record("reportDestinationBuffer"); return &lastFloat; }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool s) override { recordPtr(f, "offlineNotify", n, s); return true; }
    bool offlinePrepare(VstOfflineTask* t, VstInt32 n) override { recordPtr(t, "offlinePrepare", n); return true; }
    bool offlineRun(VstOfflineTask* t, VstInt32 n) override { recordPtr(t, "offlineRun", n); return true; }
    bool processVariableIo(VstVariableIo* v) override { recordPtr(v, "processVariableIo"); return true; }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override { recordPtr(out, "setSpeakerArrangement", reinterpret_cast<VstIntPtr>(in)); return true; }
    void VST_DEPRECATED(setBlockSizeAndSampleRate)(VstInt32 n, float r) override { lastFloat = r; record("setBlockSizeAndSampleRate", n); }
    bool setBypass(bool b) override { record("setBypass", b); return true; }
    bool getEffectName(char* t) override { recordPtr(t, "getEffectName"); return true; }
    bool VST_DEPRECATED(getErrorText)(char* t) override { recordPtr(t, "getErrorText"); return true; }
    bool getVendorString(char* t) override { recordPtr(t, "getVendorString"); return true; }
    bool getProductString(char* t) override { recordPtr(t, "getProductString"); return true; }
    VstInt32 getVendorVersion() override { record("getVendorVersion"); return 82; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override { lastFloat = f; recordPtr(p, "vendorSpecific", a, b); return 83; }
    VstInt32 canDo(char* t) override { recordPtr(t, "canDo"); return -1; }
    VstInt32 getGetTailSize() override { record("getGetTailSize"); return 84; }
    VstInt32 VST_DEPRECATED(fxIdle)() override { record("fxIdle"); return 85; }
    void* VST_DEPRECATED(getIcon)() override { record("getIcon"); return &lastFloat; }
    bool VST_DEPRECATED(setViewPosition)(VstInt32 x, VstInt32 y) override { record("setViewPosition", x, y); return true; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override { recordPtr(p, "getParameterProperties", i); return true; }
    bool VST_DEPRECATED(keysRequired)() override { record("keysRequired"); return true; }
    VstInt32 getVstVersion() override { record("getVstVersion"); return 2400; }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName* p) override { recordPtr(p, "getMidiProgramName", c); return 86; }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName* p) override { recordPtr(p, "getCurrentMidiProgram", c); return 87; }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory* p) override { recordPtr(p, "getMidiProgramCategory", c); return 88; }
    bool hasMidiProgramsChanged(VstInt32 c) override { record("hasMidiProgramsChanged", c); return true; }
    bool getMidiKeyName(VstInt32 c, MidiKeyName* k) override { recordPtr(k, "getMidiKeyName", c); return true; }
    bool beginSetProgram() override { record("beginSetProgram"); return true; }
    bool endSetProgram() override { record("endSetProgram"); return true; }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override { recordPtr(out, "getSpeakerArrangement", reinterpret_cast<VstIntPtr>(in)); return true; }
    VstInt32 getNextShellPlugin(char* t) override { recordPtr(t, "getNextShellPlugin"); return 89; }
    VstInt32 startProcess() override { record("startProcess"); return 90; }
    VstInt32 stopProcess() override { record("stopProcess"); return 91; }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override { record("setTotalSampleToProcess", v); return v; }
    bool setPanLaw(VstInt32 t, float v) override { lastFloat = v; record("setPanLaw", t); return true; }
    VstInt32 beginLoadBank(VstPatchChunkInfo* p) override { recordPtr(p, "beginLoadBank"); return 93; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* p) override { recordPtr(p, "beginLoadProgram"); return 94; }
    bool setProcessPrecision(VstInt32 p) override { record("setProcessPrecision", p); return true; }
    VstInt32 getNumMidiInputChannels() override { record("getNumMidiInputChannels"); return 95; }
    VstInt32 getNumMidiOutputChannels() override { record("getNumMidiOutputChannels"); return 96; }
};

// An editor that records what the dispatcher forwarded to it, and counts its destruction.
class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(int* destroyed = nullptr) : destroyed(destroyed) {}
    ~RecordingEditor() override { if (destroyed) ++*destroyed; }
    std::string call;
    VstKeyCode lastKey{};
    bool getRect(ERect** r) override { *r = nullptr; call = "getRect"; return true; }
    bool open(void*) override { call = "open"; return true; }
    void close() override { call = "close"; }
    void idle() override { call = "idle"; }
    void draw(ERect*) override { call = "draw"; }
    VstInt32 mouse(VstInt32 x, VstIntPtr y) override { call = fmt("mouse", x, y); return 11; }
    VstInt32 key(VstIntPtr k) override { call = fmt("key", k); return 12; }
    void top() override { call = "top"; }
    void sleep() override { call = "sleep"; }
    bool onKeyDown(VstKeyCode& k) override { lastKey = k; call = "onKeyDown"; return true; }
    bool onKeyUp(VstKeyCode& k) override { lastKey = k; call = "onKeyUp"; return true; }
    bool setKnobMode(VstInt32 m) override { call = fmt("setKnobMode", m); return true; }

private:
    int* destroyed;
};
// clang-format on
