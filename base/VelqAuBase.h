// The effect base: an effect described Audio-Unit style (parameters by unit and range,
// properties and listeners, per-channel kernels) that a host drives as a plug-in. Its own
// virtual operations follow the framework's in a fixed order: do not reorder them.
#pragma once

#include "AUKernelBase.h"
#include "AudioUnitTypes.h"
#include "ParameterTable.h"
#include "VelqProgram.h"
#include "vst/AudioEffectX.h"

#include <atomic>
#include <cstdint>
#include <vector>

class VelqAuBase;

typedef void (*PropertyListenerProc)(void* userData, VelqAuBase* unit, AudioUnitPropertyID propertyID,
                                     AudioUnitScope scope, AudioUnitElement element);

class VelqAuBase : public AudioEffectX {
public:
    struct PropertyListener {
        AudioUnitPropertyID propertyID;
        PropertyListenerProc listenerProc;
        void* userData;
    };

    // Makes numPrograms programs with programFactory, each holding the table's defaults and
    // named "Defaults". Throws on allocation failure, having released what it made.
    VelqAuBase(audioMasterCallback audioMaster, VstInt32 numPrograms, VelqProgram* (*programFactory)());
    ~VelqAuBase() override;

    // The kernel frame: each kernel processes its own channel. Only effects made of kernels reach
    // it; VelqQuadecho overrides both callbacks.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void VST_DEPRECATED(process)(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Normalised at the host boundary, real in the current program.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;

    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool getVendorString(char* text) override;

    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    virtual AUKernelBase* NewKernel() { return nullptr; }
    virtual OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID parameterID,
                                              CFArrayRef* outStrings);
    virtual OSStatus GetProperty(AudioUnitPropertyID propertyID, AudioUnitScope scope, AudioUnitElement element,
                                 void* outData);
    virtual OSStatus GetPropertyInfo(AudioUnitPropertyID propertyID, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& outDataSize, unsigned char& outWritable);
    virtual OSStatus SetProperty(AudioUnitPropertyID propertyID, AudioUnitScope scope, AudioUnitElement element,
                                 const void* inData, UInt32 inDataSize);
    // Listeners: part of the Audio-Unit-style model; no path of VelqQuadecho registers or tells one.
    virtual OSStatus AddPropertyListener(AudioUnitPropertyID propertyID, PropertyListenerProc listenerProc,
                                         void* userData);
    virtual OSStatus RemovePropertyListener(AudioUnitPropertyID propertyID, PropertyListenerProc listenerProc);
    virtual void CopyDataToGui(DataToGui& /*data*/) const {}

    // Appends one kernel per output channel, made by NewKernel: for effects made of kernels only.
    void AddKernels();
    // Tells every listener of propertyID, in registration order.
    void PropertyChanged(AudioUnitPropertyID propertyID, AudioUnitScope scope, AudioUnitElement element);

    // The vector-unit query: for effects that choose code by it; VelqQuadecho chooses its frame
    // loop by the processor's own features (core/RunFrames.cpp) and never asks.
    static bool HasVectorUnit();

protected:
    // The program the host's writes and reads and the audio thread's block go to.
    VelqProgram& currentProgram();
    const VelqProgram& currentProgram() const { return const_cast<VelqAuBase*>(this)->currentProgram(); }

    // How many values have been set through setParameter: the audio thread reads the values
    // again only when this or the current program has changed since its last read. Counted after
    // the value is stored, with release ordering (two control threads may set values at once);
    // read here with acquire ordering, so that the values a count covers are seen with it.
    std::uint32_t valueChanges() const noexcept { return changes.load(std::memory_order_acquire); }

    VelqProgram** programs;
    std::vector<AUKernelBase*> kernels; // not owned
    bool replacing = false;
    std::vector<PropertyListener> propertyListeners;
    // The rows of the effect's kNumParams parameters: units, ranges, names and defaults.
    const ParamInfo* parameterTable = astParamInfos;

private:
    void runKernels(float** inputs, float** outputs, VstInt32 sampleFrames);
    void releasePrograms();

    std::atomic<std::uint32_t> changes{0};
};

// The Audio Unit C interface, taking the effect where that interface takes a handle.
OSStatus AudioUnitGetPropertyInfo(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, unsigned char* outWritable);
OSStatus AudioUnitGetProperty(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize);
OSStatus AudioUnitAddPropertyListener(VelqAuBase* unit, AudioUnitPropertyID propertyID,
                                      PropertyListenerProc listenerProc, void* userData);
OSStatus AudioUnitRemovePropertyListener(VelqAuBase* unit, AudioUnitPropertyID propertyID,
                                         PropertyListenerProc listenerProc);
