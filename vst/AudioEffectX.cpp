#include "AudioEffectX.h"

#include "AEffEditor.h"

namespace {

VstIntPtr fromBool(bool answer) { return answer ? 1 : 0; }

VstKeyCode keyCodeFrom(VstInt32 index, VstIntPtr value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xff);
    // Truncated toward zero; a value no integer holds gives no modifier rather than overflow.
    const long long modifier = opt > -2147483648.0f && opt < 2147483648.0f ? static_cast<long long>(opt) : 0;
    key.modifier = static_cast<unsigned char>(modifier & 0xff);
    return key;
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    constexpr bool deprecated = VST_DEPRECATED_SUPPORT != 0;
    auto text = static_cast<char*>(ptr);

    if (deprecated) {
        switch (opcode) {
        case effGetNumProgramCategories:
            return VST_DEPRECATED(getNumCategories)();
        case effCopyProgram:
            return fromBool(VST_DEPRECATED(copyProgram)(index));
        case effConnectInput:
            VST_DEPRECATED(inputConnected)(index, value != 0);
            return 1;
        case effConnectOutput:
            VST_DEPRECATED(outputConnected)(index, value != 0);
            return 1;
        case effGetCurrentPosition:
            return VST_DEPRECATED(reportCurrentPosition)();
        case effGetDestinationBuffer:
            return reinterpret_cast<VstIntPtr>(VST_DEPRECATED(reportDestinationBuffer)());
        case effSetBlockSizeAndSampleRate:
            VST_DEPRECATED(setBlockSizeAndSampleRate)(static_cast<VstInt32>(value), opt);
            return 1;
        case effGetErrorText:
            return text ? fromBool(VST_DEPRECATED(getErrorText)(text)) : 0;
        case effIdle:
            return VST_DEPRECATED(fxIdle)();
        case effGetIcon:
            return reinterpret_cast<VstIntPtr>(VST_DEPRECATED(getIcon)());
        case effSetViewPosition:
            return fromBool(VST_DEPRECATED(setViewPosition)(index, static_cast<VstInt32>(value)));
        case effKeysRequired:
            return VST_DEPRECATED(keysRequired)() ? 0 : 1;
        default:
            break;
        }
    }

    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return fromBool(canParameterBeAutomated(index));
    case effString2Parameter:
        return text ? fromBool(string2parameter(index, text)) : 0;
    case effGetProgramNameIndexed:
        return text ? fromBool(getProgramNameIndexed(static_cast<VstInt32>(value), index, text)) : 0;
    case effGetInputProperties:
        return ptr ? fromBool(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetOutputProperties:
        return ptr ? fromBool(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return ptr ? fromBool(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0))
                   : 0;
    case effOfflinePrepare:
        return ptr ? fromBool(offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value))) : 0;
    case effOfflineRun:
        return ptr ? fromBool(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value))) : 0;
    case effProcessVarIo:
        return ptr ? fromBool(processVariableIo(static_cast<VstVariableIo*>(ptr))) : 0;
    case effSetSpeakerArrangement:
        if (!ptr || !value)
            return 0;
        return fromBool(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                              static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return fromBool(setBypass(value != 0));
    case effGetEffectName:
        return text ? fromBool(getEffectName(text)) : 0;
    case effGetVendorString:
        return text ? fromBool(getVendorString(text)) : 0;
    case effGetProductString:
        return text ? fromBool(getProductString(text)) : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text ? canDo(text) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr ? fromBool(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr))) : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        if (editor) {
            VstKeyCode key = keyCodeFrom(index, value, opt);
            return fromBool(editor->onKeyDown(key));
        }
        return 0;
    case effEditKeyUp:
        if (editor) {
            VstKeyCode key = keyCodeFrom(index, value, opt);
            return fromBool(editor->onKeyUp(key));
        }
        return 0;
    case effSetEditKnobMode:
        return editor ? fromBool(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
    case effGetMidiProgramName:
        return ptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        return ptr ? getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetMidiProgramCategory:
        return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
    case effHasMidiProgramsChanged:
        return fromBool(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return ptr ? fromBool(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr))) : 0;
    case effBeginSetProgram:
        return fromBool(beginSetProgram());
    case effEndSetProgram:
        return fromBool(endSetProgram());
    case effGetSpeakerArrangement:
        if (!ptr || !value)
            return 0;
        return fromBool(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                              static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return text ? getNextShellPlugin(text) : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
        return fromBool(setPanLaw(static_cast<VstInt32>(value), opt));
    case effBeginLoadBank:
        return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision:
        return fromBool(setProcessPrecision(static_cast<VstInt32>(value)));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
