// The extended effect class: dispatcher for opcodes 25 to 79, requests to the host, speaker
// arrangements. Its virtual operations follow those of AudioEffect in a fixed order: do not
// reorder them.
#pragma once

#include "AudioEffect.h"
#include "platform/RelaxedAtomic.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(audioMaster, numPrograms, numParams)
    {}
    ~AudioEffectX() override = default;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    void resume() override;

    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }                                // 51
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }                      // 52
    virtual bool getParameterProperties(VstInt32 /*index*/, VstParameterProperties* /*p*/) { return false; } // 53
    virtual bool beginEdit(VstInt32 index);                                                                  // 54
    virtual bool endEdit(VstInt32 index);                                                                    // 55
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/)
    {
        return false;
    }                                                                                               // 56
    virtual bool beginSetProgram() { return false; }                                                // 57
    virtual bool endSetProgram() { return false; }                                                  // 58
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* /*ptr*/) { return 0; }                        // 59
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* /*ptr*/) { return 0; }                     // 60
    virtual bool ioChanged();                                                                       // 61
    virtual float updateSampleRate();                                                               // 62
    virtual VstInt32 updateBlockSize();                                                             // 63
    virtual VstInt32 getInputLatency();                                                             // 64
    virtual VstInt32 getOutputLatency();                                                            // 65
    virtual bool getInputProperties(VstInt32 /*index*/, VstPinProperties* /*p*/) { return false; }  // 66
    virtual bool getOutputProperties(VstInt32 /*index*/, VstPinProperties* /*p*/) { return false; } // 67
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/, VstSpeakerArrangement* /*output*/)
    {
        return false;
    } // 68
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output)
    {
        *input = nullptr;
        *output = nullptr;
        return false;
    }                                                                                                  // 69
    virtual bool setBypass(bool /*onOff*/) { return false; }                                           // 70
    virtual bool setPanLaw(VstInt32 /*type*/, float /*value*/) { return false; }                       // 71
    virtual bool setProcessPrecision(VstInt32 /*precision*/) { return false; }                         // 72
    virtual VstInt32 getNumMidiInputChannels() { return 0; }                                           // 73
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }                                          // 74
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);                                                 // 75
    virtual VstInt32 getCurrentProcessLevel();                                                         // 76
    virtual VstInt32 getAutomationState();                                                             // 77
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }                                // 78
    virtual VstInt32 startProcess() { return 0; }                                                      // 79
    virtual VstInt32 stopProcess() { return 0; }                                                       // 80
    virtual bool processVariableIo(VstVariableIo* /*varIo*/) { return false; }                         // 81
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }                         // 82
    virtual bool getHostVendorString(char* text);                                                      // 83
    virtual bool getHostProductString(char* text);                                                     // 84
    virtual VstInt32 getHostVendorVersion();                                                           // 85
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg); // 86
    virtual bool canHostDo(char* text);                                                                // 87
    virtual VstInt32 getHostLanguage();                                                                // 88
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }                       // 89
    virtual void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }                  // 90
    virtual VstInt32 getGetTailSize() { return 0; }                                                    // 91
    virtual void* getDirectory();                                                                      // 92
    virtual bool getEffectName(char* /*name*/) { return false; }                                       // 93
    virtual bool getVendorString(char* /*text*/) { return false; }                                     // 94
    virtual bool getProductString(char* /*text*/) { return false; }                                    // 95
    virtual VstInt32 getVendorVersion() { return 0; }                                                  // 96
    virtual VstIntPtr vendorSpecific(VstInt32 /*lArg*/, VstIntPtr /*lArg2*/, void* /*ptrArg*/, float /*floatArg*/)
    {
        return 0;
    }                                                    // 97
    virtual VstInt32 canDo(char* /*text*/) { return 0; } // 98
    virtual VstInt32 getVstVersion() { return 2400; }    // 99
    virtual VstInt32 getPlugCategory()
    {
        return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
    }                                                                                                       // 100
    virtual VstInt32 getMidiProgramName(VstInt32 /*channel*/, MidiProgramName* /*p*/) { return 0; }         // 101
    virtual VstInt32 getCurrentMidiProgram(VstInt32 /*channel*/, MidiProgramName* /*p*/) { return -1; }     // 102
    virtual VstInt32 getMidiProgramCategory(VstInt32 /*channel*/, MidiProgramCategory* /*c*/) { return 0; } // 103
    virtual bool hasMidiProgramsChanged(VstInt32 /*channel*/) { return false; }                             // 104
    virtual bool getMidiKeyName(VstInt32 /*channel*/, MidiKeyName* /*keyName*/) { return false; }           // 105
    virtual bool updateDisplay();                                                                           // 106
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);                                               // 107
    virtual bool openFileSelector(VstFileSelect* select);                                                   // 108
    virtual bool closeFileSelector(VstFileSelect* select);                                                  // 109
    virtual VstInt32 getNextShellPlugin(char* /*name*/) { return 0; }                                       // 110
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels);             // 111
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);                                // 112
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);                         // 113
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);                 // 114
    virtual bool offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource = true);     // 115
    virtual bool offlineWrite(VstOfflineTask* offline, VstOfflineOption option);                            // 116
    virtual bool offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);        // 117
    virtual bool offlineGetCurrentPass();                                                                   // 118
    virtual bool offlineGetCurrentMetaPass();                                                               // 119
    virtual bool offlineNotify(VstAudioFile* /*ptr*/, VstInt32 /*numAudioFiles*/, bool /*start*/)
    {
        return false;
    }                                                                                                           // 120
    virtual bool offlinePrepare(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }              // 121
    virtual bool offlineRun(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }                  // 122
    virtual VstInt32 offlineGetNumPasses() { return 0; }                                                        // 123
    virtual VstInt32 offlineGetNumMetaPasses() { return 0; }                                                    // 124
    virtual void VST_DEPRECATED(wantEvents)(VstInt32 filter = 1);                                               // 125
    virtual VstInt32 VST_DEPRECATED(tempoAt)(VstInt32 pos);                                                     // 126
    virtual VstInt32 VST_DEPRECATED(getNumAutomatableParameters)();                                             // 127
    virtual VstInt32 VST_DEPRECATED(getParameterQuantization)();                                                // 128
    virtual VstInt32 VST_DEPRECATED(getNumCategories)() { return 1; }                                           // 129
    virtual bool VST_DEPRECATED(copyProgram)(VstInt32 /*destination*/) { return false; }                        // 130
    virtual bool VST_DEPRECATED(needIdle)();                                                                    // 131
    virtual AEffect* VST_DEPRECATED(getPreviousPlug)(VstInt32 input);                                           // 132
    virtual AEffect* VST_DEPRECATED(getNextPlug)(VstInt32 output);                                              // 133
    virtual void VST_DEPRECATED(inputConnected)(VstInt32 /*index*/, bool /*state*/) {}                          // 134
    virtual void VST_DEPRECATED(outputConnected)(VstInt32 /*index*/, bool /*state*/) {}                         // 135
    virtual VstInt32 VST_DEPRECATED(willProcessReplacing)();                                                    // 136
    virtual void VST_DEPRECATED(wantAsyncOperation)(bool state = true) { setFlag(effFlagsExtIsAsync, state); }  // 137
    virtual void VST_DEPRECATED(hasExternalBuffer)(bool state = true) { setFlag(effFlagsExtHasBuffer, state); } // 138
    virtual VstInt32 VST_DEPRECATED(reportCurrentPosition)() { return 0; }                                      // 139
    virtual float* VST_DEPRECATED(reportDestinationBuffer)() { return nullptr; }                                // 140
    virtual void VST_DEPRECATED(setOutputSamplerate)(float samplerate);                                         // 141
    virtual VstSpeakerArrangement* VST_DEPRECATED(getInputSpeakerArrangement)();                                // 142
    virtual VstSpeakerArrangement* VST_DEPRECATED(getOutputSpeakerArrangement)();                               // 143
    virtual void* VST_DEPRECATED(openWindow)(VST_DEPRECATED(VstWindow) * window);                               // 144
    virtual bool VST_DEPRECATED(closeWindow)(VST_DEPRECATED(VstWindow) * window);                               // 145
    virtual void VST_DEPRECATED(setBlockSizeAndSampleRate)(VstInt32 newBlockSize, float newSampleRate)
    {
        storeRelaxed(blockSize, newBlockSize);
        storeRelaxed(sampleRate, newSampleRate);
    }                                                                                              // 146
    virtual bool VST_DEPRECATED(getErrorText)(char* /*text*/) { return false; }                    // 147
    virtual void* VST_DEPRECATED(getIcon)() { return nullptr; }                                    // 148
    virtual bool VST_DEPRECATED(setViewPosition)(VstInt32 /*x*/, VstInt32 /*y*/) { return false; } // 149
    virtual VstInt32 VST_DEPRECATED(fxIdle)() { return 0; }                                        // 150
    virtual bool VST_DEPRECATED(keysRequired)() { return false; }                                  // 151
    virtual bool VST_DEPRECATED(getChunkFile)(void* nativePath);                                   // 152

    // Not virtual: sends events to the host.
    bool sendVstEventsToHost(VstEvents* events);
};
