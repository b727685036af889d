// Requests from the effect to its host. Each one works without a host callback too, answering
// what a host that knows nothing would answer.
#include "AudioEffectX.h"
#include "CanDo.h"

// ---- AudioEffect ----------------------------------------------------------------------------

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    if (audioMaster)
        callHost(audioMasterAutomate, index, 0, nullptr, value);
}

// The host's answers are 32-bit values. Where the callback returns a wider integer, the checks
// below look at the value as it is kept, so that a wide answer cannot slip through a check and
// then narrow to a version of 0 or a block size of 0 or less.
VstInt32 AudioEffect::getMasterVersion()
{
    const VstInt32 version = audioMaster ? static_cast<VstInt32>(callHost(audioMasterVersion)) : 0;
    return version == 0 ? 1 : version;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterCurrentId)) : 0;
}

void AudioEffect::masterIdle()
{
    if (audioMaster)
        callHost(audioMasterIdle);
}

// The host answers 0 for a connected pin; without a host every pin counts as connected.
bool AudioEffect::isInputConnected(VstInt32 input)
{
    return audioMaster ? callHost(audioMasterPinConnected, input, 0) == 0 : true;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    return audioMaster ? callHost(audioMasterPinConnected, output, 1) == 0 : true;
}

// ---- AudioEffectX ---------------------------------------------------------------------------

void AudioEffectX::resume()
{
    if (!(cEffect.flags & effFlagsIsSynth)) {
        char receiveMidi[] = "receiveVstMidiEvent"; // canDo takes a mutable text
        if (canDo(receiveMidi) != 1)
            return;
    }
    VST_DEPRECATED(wantEvents)(1);
}

void AudioEffectX::VST_DEPRECATED(wantEvents)(VstInt32 filter)
{
    if (audioMaster)
        callHost(audioMasterWantMidi, 0, filter);
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return audioMaster ? reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter)) : nullptr;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return audioMaster && callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

VstInt32 AudioEffectX::VST_DEPRECATED(tempoAt)(VstInt32 pos)
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos)) : 0;
}

VstInt32 AudioEffectX::VST_DEPRECATED(getNumAutomatableParameters)()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters)) : 0;
}

VstInt32 AudioEffectX::VST_DEPRECATED(getParameterQuantization)()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization)) : 0;
}

bool AudioEffectX::ioChanged() { return audioMaster && callHost(audioMasterIOChanged) != 0; }

bool AudioEffectX::VST_DEPRECATED(needIdle)() { return audioMaster && callHost(audioMasterNeedIdle) != 0; }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return audioMaster && callHost(audioMasterSizeWindow, width, height) != 0;
}

float AudioEffectX::updateSampleRate()
{
    if (audioMaster) {
        const VstInt32 rate = static_cast<VstInt32>(callHost(audioMasterGetSampleRate));
        if (rate > 0)
            storeRelaxed(sampleRate, static_cast<float>(rate));
    }
    return AudioEffect::getSampleRate();
}

VstInt32 AudioEffectX::updateBlockSize()
{
    if (audioMaster) {
        const VstInt32 size = static_cast<VstInt32>(callHost(audioMasterGetBlockSize));
        if (size > 0)
            storeRelaxed(blockSize, size);
    }
    return AudioEffect::getBlockSize();
}

VstInt32 AudioEffectX::getInputLatency()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetInputLatency)) : 0;
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetOutputLatency)) : 0;
}

// Both ask for pin 0, whatever pin they are given.
AEffect* AudioEffectX::VST_DEPRECATED(getPreviousPlug)(VstInt32 /*input*/)
{
    return audioMaster ? reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, 0)) : nullptr;
}

AEffect* AudioEffectX::VST_DEPRECATED(getNextPlug)(VstInt32 /*output*/)
{
    return audioMaster ? reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, 0)) : nullptr;
}

VstInt32 AudioEffectX::VST_DEPRECATED(willProcessReplacing)()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate)) : 0;
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel)) : 0;
}

VstInt32 AudioEffectX::getAutomationState()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetAutomationState)) : 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* files, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles)
{
    return audioMaster && callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource)
{
    return audioMaster && callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option)
{
    return audioMaster && callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineGetCurrentPass() { return audioMaster && callHost(audioMasterOfflineGetCurrentPass) != 0; }

bool AudioEffectX::offlineGetCurrentMetaPass()
{
    return audioMaster && callHost(audioMasterOfflineGetCurrentMetaPass) != 0;
}

void AudioEffectX::VST_DEPRECATED(setOutputSamplerate)(float samplerate)
{
    if (audioMaster)
        callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::VST_DEPRECATED(getOutputSpeakerArrangement)()
{
    return audioMaster ? reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement))
                       : nullptr;
}

VstSpeakerArrangement* AudioEffectX::VST_DEPRECATED(getInputSpeakerArrangement)()
{
    return audioMaster ? reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement))
                       : nullptr;
}

bool AudioEffectX::getHostVendorString(char* text)
{
    return audioMaster && callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return audioMaster && callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetVendorVersion)) : 0;
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg)
{
    return audioMaster ? callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg) : 0;
}

bool AudioEffectX::canHostDo(char* text) { return audioMaster && callHost(audioMasterCanDo, 0, 0, text) != 0; }

VstInt32 AudioEffectX::getHostLanguage()
{
    return audioMaster ? static_cast<VstInt32>(callHost(audioMasterGetLanguage)) : 0;
}

void* AudioEffectX::VST_DEPRECATED(openWindow)(VST_DEPRECATED(VstWindow) * window)
{
    return audioMaster ? reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window)) : nullptr;
}

bool AudioEffectX::VST_DEPRECATED(closeWindow)(VST_DEPRECATED(VstWindow) * window)
{
    return audioMaster && callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void* AudioEffectX::getDirectory()
{
    return audioMaster ? reinterpret_cast<void*>(callHost(audioMasterGetDirectory)) : nullptr;
}

bool AudioEffectX::updateDisplay() { return audioMaster && callHost(audioMasterUpdateDisplay) != 0; }

bool AudioEffectX::beginEdit(VstInt32 index) { return audioMaster && callHost(audioMasterBeginEdit, index) != 0; }

bool AudioEffectX::endEdit(VstInt32 index) { return audioMaster && callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::openFileSelector(VstFileSelect* select)
{
    return audioMaster && select && callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* select)
{
    return audioMaster && select && callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::VST_DEPRECATED(getChunkFile)(void* nativePath)
{
    return audioMaster && nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
