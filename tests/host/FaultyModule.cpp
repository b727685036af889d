// Modules that break what a host relies on, one fault each, chosen when compiled; and the least
// a module may be. The module without an entry point has no code at all.
#include "vst/AEffect.h"

#include <cstring>

#if !defined(FAULT_NO_ENTRY)
static AEffect record{};
static float gain = 0.0f;

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback)
{
    // Counts change: announces two outputs, then claims eight once switched on.
    record.dispatcher = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr, float) -> VstIntPtr {
        if (opcode == effMainsChanged && value == 1 && record.numOutputs == 2)
            record.numOutputs = 8;
        if (opcode == effGetEffectName || opcode == effGetParamName)
            std::strcpy(static_cast<char*>(ptr), opcode == effGetEffectName ? "Plain\tmodule  " : "Gain");
        return opcode == effGetTailSize ? 4000 : opcode == effGetPlugCategory ? 99 : 0;
    };
    // The accumulating callback, mono: adds the input to the output.
    record.process = [](AEffect*, float** in, float** out, VstInt32 frames) {
        for (VstInt32 i = 0; i < frames; ++i)
            out[0][i] += in[0][i];
    };
    record.setParameter = [](AEffect*, VstInt32, float value) { gain = value; };
    record.getParameter = [](AEffect*, VstInt32) { return gain; };
    record.magic = kEffectMagic;
#if defined(FAULT_BAD_MAGIC)
    record.magic = 0; // not a record at all
#elif defined(FAULT_NULL_EFFECT)
    return nullptr;
#elif defined(FAULT_BAD_COUNTS)
    record.numInputs = 65, record.numOutputs = 2; // inputs one past the tool's limit of 64
#elif defined(FAULT_COUNTS_CHANGE)
    record.numInputs = record.numOutputs = 2;
#elif defined(FAULT_PLAIN)
    // No programs, one parameter without units, a name to clean up, a known tail, the accumulating
    // callback only, and the effect's own ID, as a clone might claim it.
    record.numParams = record.numInputs = record.numOutputs = 1;
    record.uniqueID = fourCharCode('V', 'Q', 'q', 'e');
#endif
    return &record;
}
#endif
