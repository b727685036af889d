// A test effect that records which virtual operation the framework called, with its arguments,
// and answers with a value that shows how the dispatcher converted it.
#pragma once

#include "vst/AEffEditor.h"
#include "vst/AudioEffectX.h"

#include <string>

inline std::string fmt(const char* name, long long a = 0, long long b = 0, int arity = 0)
{
    std::string s = name;
    s += "(";
    if (arity >= 1)
        s += std::to_string(a);
    if (arity >= 2)
        s += "," + std::to_string(b);
    return s + ")";
}

// One override per line: the table reads better than the formatter's layout.
// clang-format off
class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(audioMasterCallback host = nullptr, VstInt32 programs = 4, VstInt32 params = 3)
        : AudioEffectX(host, programs, params)
    {
    }

    std::string call;  // the last operation called, "" when none
    void* lastPtr = nullptr;
    float lastFloat = 0.0f;

    void record(const char* name, long long a = 0, long long b = 0, int arity = 0) { call = fmt(name, a, b, arity); }

    void processReplacing(float**, float**, VstInt32 n) override { record("processReplacing", n, 0, 1); }
    void open() override { record("open"); }
    void close() override { record("close"); }
    void suspend() override { record("suspend"); }
    void resume() override { record("resume"); }
    void setSampleRate(float r) override { lastFloat = r; record("setSampleRate"); }
    void setBlockSize(VstInt32 n) override { record("setBlockSize", n, 0, 1); }
    void setParameter(VstInt32 i, float v) override { lastFloat = v; record("setParameter", i, 0, 1); }
    float getParameter(VstInt32 i) override { record("getParameter", i, 0, 1); return 0.75f; }
    void setProgram(VstInt32 p) override { record("setProgram", p, 0, 1); AudioEffectX::setProgram(p); }
    void setProgramName(char* n) override { lastPtr = n; record("setProgramName"); }
    void getProgramName(char* n) override { lastPtr = n; record("getProgramName"); }
    void getParameterLabel(VstInt32 i, char* t) override { lastPtr = t; record("getParameterLabel", i, 0, 1); }
    void getParameterDisplay(VstInt32 i, char* t) override { lastPtr = t; record("getParameterDisplay", i, 0, 1); }
    void getParameterName(VstInt32 i, char* t) override { lastPtr = t; record("getParameterName", i, 0, 1); }
    VstInt32 getChunk(void** d, bool p) override { lastPtr = d; record("getChunk", p, 0, 1); return 77; }
    VstInt32 setChunk(void* d, VstInt32 n, bool p) override { lastPtr = d; record("setChunk", n, p, 2); return 78; }
    float VST_DEPRECATED(getVu)() override { record("getVu"); return 0.5f; }
    void VST_DEPRECATED(process)(float**, float**, VstInt32 n) override { record("process", n, 0, 1); }
    void processDoubleReplacing(double**, double**, VstInt32 n) override { record("processDoubleReplacing", n, 0, 1); }

    VstInt32 processEvents(VstEvents* e) override { lastPtr = e; record("processEvents"); return 79; }
    bool canParameterBeAutomated(VstInt32 i) override { record("canParameterBeAutomated", i, 0, 1); return true; }
    bool string2parameter(VstInt32 i, char* t) override { lastPtr = t; record("string2parameter", i, 0, 1); return true; }
    VstInt32 VST_DEPRECATED(getNumCategories)() override { record("getNumCategories"); return 5; }
    bool getProgramNameIndexed(VstInt32 c, VstInt32 i, char* t) override
    {
        lastPtr = t;
        record("getProgramNameIndexed", c, i, 2);
        return true;
    }
    bool VST_DEPRECATED(copyProgram)(VstInt32 d) override { record("copyProgram", d, 0, 1); return true; }
    void VST_DEPRECATED(inputConnected)(VstInt32 i, bool s) override { record("inputConnected", i, s, 2); }
    void VST_DEPRECATED(outputConnected)(VstInt32 i, bool s) override { record("outputConnected", i, s, 2); }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override { lastPtr = p; record("getInputProperties", i, 0, 1); return true; }
    bool getOutputProperties(VstInt32 i, VstPinProperties* p) override { lastPtr = p; record("getOutputProperties", i, 0, 1); return true; }
    VstInt32 getPlugCategory() override { record("getPlugCategory"); return 6; }
    VstInt32 VST_DEPRECATED(reportCurrentPosition)() override { record("reportCurrentPosition"); return 81; }
    float* VST_DEPRECATED(reportDestinationBuffer)() override { record("reportDestinationBuffer"); return &lastFloat; }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool s) override { lastPtr = f; record("offlineNotify", n, s, 2); return true; }
    bool offlinePrepare(VstOfflineTask* t, VstInt32 n) override { lastPtr = t; record("offlinePrepare", n, 0, 1); return true; }
    bool offlineRun(VstOfflineTask* t, VstInt32 n) override { lastPtr = t; record("offlineRun", n, 0, 1); return true; }
    bool processVariableIo(VstVariableIo* v) override { lastPtr = v; record("processVariableIo"); return true; }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        lastPtr = out;
        record("setSpeakerArrangement", reinterpret_cast<VstIntPtr>(in), 0, 1);
        return true;
    }
    void VST_DEPRECATED(setBlockSizeAndSampleRate)(VstInt32 n, float r) override
    {
        lastFloat = r;
        record("setBlockSizeAndSampleRate", n, 0, 1);
    }
    bool setBypass(bool b) override { record("setBypass", b, 0, 1); return true; }
    bool getEffectName(char* t) override { lastPtr = t; record("getEffectName"); return true; }
    bool VST_DEPRECATED(getErrorText)(char* t) override { lastPtr = t; record("getErrorText"); return true; }
    bool getVendorString(char* t) override { lastPtr = t; record("getVendorString"); return true; }
    bool getProductString(char* t) override { lastPtr = t; record("getProductString"); return true; }
    VstInt32 getVendorVersion() override { record("getVendorVersion"); return 82; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override
    {
        lastPtr = p;
        lastFloat = f;
        record("vendorSpecific", a, b, 2);
        return 83;
    }
    VstInt32 canDo(char* t) override { lastPtr = t; record("canDo"); return -1; }
    VstInt32 getGetTailSize() override { record("getGetTailSize"); return 84; }
    VstInt32 VST_DEPRECATED(fxIdle)() override { record("fxIdle"); return 85; }
    void* VST_DEPRECATED(getIcon)() override { record("getIcon"); return &lastFloat; }
    bool VST_DEPRECATED(setViewPosition)(VstInt32 x, VstInt32 y) override { record("setViewPosition", x, y, 2); return true; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override
    {
        lastPtr = p;
        record("getParameterProperties", i, 0, 1);
        return true;
    }
    bool VST_DEPRECATED(keysRequired)() override { record("keysRequired"); return true; }
    VstInt32 getVstVersion() override { record("getVstVersion"); return 2400; }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName* p) override { lastPtr = p; record("getMidiProgramName", c, 0, 1); return 86; }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName* p) override { lastPtr = p; record("getCurrentMidiProgram", c, 0, 1); return 87; }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory* p) override { lastPtr = p; record("getMidiProgramCategory", c, 0, 1); return 88; }
    bool hasMidiProgramsChanged(VstInt32 c) override { record("hasMidiProgramsChanged", c, 0, 1); return true; }
    bool getMidiKeyName(VstInt32 c, MidiKeyName* k) override { lastPtr = k; record("getMidiKeyName", c, 0, 1); return true; }
    bool beginSetProgram() override { record("beginSetProgram"); return true; }
    bool endSetProgram() override { record("endSetProgram"); return true; }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override
    {
        lastPtr = out;
        record("getSpeakerArrangement", reinterpret_cast<VstIntPtr>(in), 0, 1);
        return true;
    }
    VstInt32 getNextShellPlugin(char* t) override { lastPtr = t; record("getNextShellPlugin"); return 89; }
    VstInt32 startProcess() override { record("startProcess"); return 90; }
    VstInt32 stopProcess() override { record("stopProcess"); return 91; }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override { record("setTotalSampleToProcess", v, 0, 1); return v; }
    bool setPanLaw(VstInt32 t, float v) override { lastFloat = v; record("setPanLaw", t, 0, 1); return true; }
    VstInt32 beginLoadBank(VstPatchChunkInfo* p) override { lastPtr = p; record("beginLoadBank"); return 93; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* p) override { lastPtr = p; record("beginLoadProgram"); return 94; }
    bool setProcessPrecision(VstInt32 p) override { record("setProcessPrecision", p, 0, 1); return true; }
    VstInt32 getNumMidiInputChannels() override { record("getNumMidiInputChannels"); return 95; }
    VstInt32 getNumMidiOutputChannels() override { record("getNumMidiOutputChannels"); return 96; }
};

// clang-format on

// An editor that records what the dispatcher forwarded to it.
class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(int* destroyed = nullptr) : destroyed(destroyed) {}
    ~RecordingEditor() override
    {
        if (destroyed)
            ++*destroyed;
    }
    std::string call;
    VstKeyCode lastKey{};
    bool getRect(ERect** r) override
    {
        *r = nullptr;
        call = "getRect";
        return true;
    }
    bool open(void*) override
    {
        call = "open";
        return true;
    }
    void close() override { call = "close"; }
    void idle() override { call = "idle"; }
    void draw(ERect*) override { call = "draw"; }
    VstInt32 mouse(VstInt32 x, VstIntPtr y) override
    {
        call = fmt("mouse", x, y, 2);
        return 11;
    }
    VstInt32 key(VstIntPtr k) override
    {
        call = fmt("key", k, 0, 1);
        return 12;
    }
    void top() override { call = "top"; }
    void sleep() override { call = "sleep"; }
    bool onKeyDown(VstKeyCode& k) override
    {
        lastKey = k;
        call = "onKeyDown";
        return true;
    }
    bool onKeyUp(VstKeyCode& k) override
    {
        lastKey = k;
        call = "onKeyUp";
        return true;
    }
    bool setKnobMode(VstInt32 m) override
    {
        call = fmt("setKnobMode", m, 0, 1);
        return true;
    }

private:
    int* destroyed;
};
