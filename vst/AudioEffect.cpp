#include "AudioEffect.h"

#include "AEffEditor.h"
#include "platform/RelaxedAtomic.h"

#include <cstring>
#include <new>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), editor(nullptr), sampleRate(44100.0f), blockSize(1024), numPrograms(numPrograms),
      numParams(numParams), curProgram(0)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = VST_DEPRECATED(processClass);
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
    cEffect.flags = effFlagsCanReplacing;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setSampleRate(float newSampleRate) { storeRelaxed(sampleRate, newSampleRate); }

float AudioEffect::getSampleRate() { return loadRelaxed(sampleRate); }

void AudioEffect::setBlockSize(VstInt32 newBlockSize) { storeRelaxed(blockSize, newBlockSize); }

VstInt32 AudioEffect::getBlockSize() { return loadRelaxed(blockSize); }

VstInt32 AudioEffect::getProgram() { return loadRelaxed(curProgram); }

void AudioEffect::setProgram(VstInt32 program) { storeRelaxed(curProgram, program); }

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

// ---- callbacks stored in the record ---------------------------------------------------------

static AudioEffect* instanceOf(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                       void* ptr, float opt)
{
    // A C caller cannot handle an exception: anything thrown below stops here.
    try {
        AudioEffect* effect = instanceOf(e);
        if (opcode == effClose) {
            effect->dispatcher(opcode, index, value, ptr, opt);
            delete effect;
            return 1;
        }
        return effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    return instanceOf(e)->getParameter(index);
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    instanceOf(e)->setParameter(index, value);
}

void VSTCALLBACK AudioEffect::VST_DEPRECATED(processClass)(AEffect* e, float** inputs, float** outputs,
                                                           VstInt32 sampleFrames)
{
    instanceOf(e)->VST_DEPRECATED(process)(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    instanceOf(e)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                                          VstInt32 sampleFrames)
{
    instanceOf(e)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

// ---- dispatcher, opcodes 0 to 24 -------------------------------------------------------------

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    constexpr bool deprecated = VST_DEPRECATED_SUPPORT != 0;
    auto text = static_cast<char*>(ptr);

    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        // Compared at full width so that no out-of-range number wraps into range.
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text)
            getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text)
            getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text)
            getParameterName(index, text);
        return 0;
    case effGetVu:
        if (!deprecated)
            return 0;
        {
            // A meter value the integer cannot hold answers 0 rather than overflow.
            const double vu = VST_DEPRECATED(getVu)() * 32767.0;
            return vu > -2147483648.0 && vu < 2147483648.0 ? static_cast<VstInt32>(vu) : 0;
        }
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effIdentify:
        return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
        if (!ptr)
            return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (!ptr)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        break;
    }

    if (!editor)
        return 0;
    switch (opcode) {
    case effEditGetRect:
        return ptr && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor->open(ptr) ? 1 : 0;
    case effEditClose:
        editor->close();
        return 0;
    case effEditIdle:
        editor->idle();
        return 0;
    case effEditDraw:
        if (deprecated)
            editor->draw(static_cast<ERect*>(ptr));
        return 0;
    case effEditMouse:
        return deprecated ? editor->mouse(index, value) : 0;
    case effEditKey:
        return deprecated ? editor->key(value) : 0;
    case effEditTop:
        if (deprecated)
            editor->top();
        return 0;
    case effEditSleep:
        if (deprecated)
            editor->sleep();
        return 0;
    default:
        return 0;
    }
}
