// Modules that break what a host relies on, one fault each, chosen when compiled.
#include "vst/AEffect.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

[[maybe_unused]] VstIntPtr VSTCALLBACK answerNothing(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

} // namespace

#if defined(FAULT_NULL_EFFECT)
EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
#elif defined(FAULT_BAD_MAGIC)
EXPORT AEffect* VSTPluginMain(audioMasterCallback)
{
    static AEffect notARecord{}; // magic 0
    notARecord.dispatcher = answerNothing;
    return &notARecord;
}
#elif defined(FAULT_BAD_COUNTS)
EXPORT AEffect* VSTPluginMain(audioMasterCallback)
{
    static AEffect record{};
    record.magic = kEffectMagic;
    record.dispatcher = answerNothing;
    record.numInputs = 2;
    record.numOutputs = -5;
    return &record;
}
#else
EXPORT int somethingElse() { return 0; }
#endif
