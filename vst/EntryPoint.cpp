#include "EntryPoint.h"

#include "AudioEffect.h"

AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    if (!audioMaster)
        return nullptr;
    // A host too old to answer its version gets no effect.
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    // An exception must not reach a C caller; a failed construction is simply no effect.
    try {
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

#if VST_DEPRECATED_SUPPORT
AEffect* main_macho(audioMasterCallback audioMaster) { return VSTPluginMain(audioMaster); }
#endif
