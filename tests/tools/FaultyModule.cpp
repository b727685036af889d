// Modules that break what a host relies on, one fault each, chosen when compiled.
#include "vst/AEffect.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

#if defined(FAULT_NULL_EFFECT)
EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
#elif defined(FAULT_BAD_MAGIC) || defined(FAULT_BAD_COUNTS)
static VstIntPtr VSTCALLBACK answerNothing(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

EXPORT AEffect* VSTPluginMain(audioMasterCallback)
{
    static AEffect record{}; // magic 0: not a record at all
    record.dispatcher = answerNothing;
#if defined(FAULT_BAD_COUNTS)
    record.magic = kEffectMagic;
    record.numInputs = 2;
    record.numOutputs = -5;
#endif
    return &record;
}
#elif defined(FAULT_COUNTS_CHANGE)
static AEffect record{};

// Announces two outputs, then claims eight once switched on.
static VstIntPtr VSTCALLBACK growOnResume(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float)
{
    if (opcode == effMainsChanged && value == 1)
        record.numOutputs = 8;
    return 0;
}

static void VSTCALLBACK silence(AEffect*, float**, float**, VstInt32) {}

EXPORT AEffect* VSTPluginMain(audioMasterCallback)
{
    record = AEffect{};
    record.magic = kEffectMagic;
    record.dispatcher = growOnResume;
    record.processReplacing = silence;
    record.flags = effFlagsCanReplacing;
    record.numInputs = 2;
    record.numOutputs = 2;
    return &record;
}
#else
EXPORT int somethingElse() { return 0; }
#endif
