// The class that owns the host's record and turns the record's callbacks into virtual calls.
// The order of the virtual operations is part of the interface: do not reorder them.
#pragma once

#include "AEffect.h"
#include "VstRecords.h"

class AEffEditor;
class AudioEffect;

// Provided by the effect; the entry point is its only caller. May throw while constructing.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect(); // slots 0, 1

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);                                                                     // 2
    virtual void open() {}                                                                                       // 3
    virtual void close() {}                                                                                      // 4
    virtual void suspend() {}                                                                                    // 5
    virtual void resume() {}                                                                                     // 6
    virtual void setSampleRate(float newSampleRate);                                                             // 7
    virtual void setBlockSize(VstInt32 newBlockSize);                                                            // 8
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;                   // 9
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {} // 10
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}                                            // 11
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }                                              // 12
    virtual void setParameterAutomated(VstInt32 index, float value);                                             // 13
    virtual VstInt32 getProgram();                                                                               // 14
    virtual void setProgram(VstInt32 program);                                                                   // 15
    virtual void setProgramName(char* /*name*/) {}                                                               // 16
    virtual void getProgramName(char* name) { *name = 0; }                                                       // 17
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { *label = 0; }                              // 18
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { *text = 0; }                              // 19
    virtual void getParameterName(VstInt32 /*index*/, char* text) { *text = 0; }                                 // 20
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/ = false) { return 0; }                          // 21
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/ = false) { return 0; }    // 22
    virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }                                             // 23
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }                                   // 24
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }                               // 25
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }                // 26
    virtual void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }           // 27
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }                 // 28
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }                               // 29
    virtual AEffEditor* getEditor() { return editor; }                                                           // 30
    virtual AEffect* getAeffect() { return &cEffect; }                                                           // 31
    virtual float getSampleRate();                                                                               // 32
    virtual VstInt32 getBlockSize();                                                                             // 33
    virtual VstInt32 getMasterVersion();                                                                         // 34
    virtual VstInt32 getCurrentUniqueId();                                                                       // 35
    virtual void masterIdle();                                                                                   // 36
    virtual bool isInputConnected(VstInt32 input);                                                               // 37
    virtual bool isOutputConnected(VstInt32 output);                                                             // 38
    virtual void dB2string(float value, char* text, VstInt32 maxLen);                                            // 39
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);                                          // 40
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);                                          // 41
    virtual void float2string(float value, char* text, VstInt32 maxLen);                                         // 42
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);                                        // 43
    virtual void VST_DEPRECATED(process)(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}  // 44
    virtual float VST_DEPRECATED(getVu)() { return 0.0f; }                                                       // 45
    virtual void VST_DEPRECATED(hasVu)(bool state = true) { setFlag(effFlagsHasVu, state); }                     // 46
    virtual void VST_DEPRECATED(hasClip)(bool state = true) { setFlag(effFlagsHasClip, state); }                 // 47
    virtual void VST_DEPRECATED(canMono)(bool state = true) { setFlag(effFlagsCanMono, state); }                 // 48
    virtual void VST_DEPRECATED(setRealtimeQualities)(VstInt32 qualities) { cEffect.realQualities = qualities; } // 49
    virtual void VST_DEPRECATED(setOfflineQualities)(VstInt32 qualities) { cEffect.offQualities = qualities; }   // 50

    // Attaches an editor that the instance then owns; sets or clears effFlagsHasEditor.
    void setEditor(AEffEditor* newEditor);

    // The callbacks stored in the record: each finds the instance through the record's object field.
    static VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                     void* ptr, float opt);
    static float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
    static void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
    static void VSTCALLBACK VST_DEPRECATED(processClass)(AEffect* e, float** inputs, float** outputs,
                                                         VstInt32 sampleFrames);
    static void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                                        VstInt32 sampleFrames);

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

protected:
    void setFlag(VstInt32 flag, bool state)
    {
        if (state)
            cEffect.flags |= flag;
        else
            cEffect.flags &= ~flag;
    }

    // Sends one request to the host; the caller has checked that audioMaster is set.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return audioMaster(&cEffect, opcode, index, value, ptr, opt);
    }

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate; // read by the audio thread: access through getSampleRate/setSampleRate
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram; // read by the audio thread: access through getProgram/setProgram
    AEffect cEffect;
};
