// The module's only exported symbols: the host calls one of them once per effect instance.
#include "AudioEffect.h"

#define VST_EXPORT extern "C" __attribute__((visibility("default")))

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster);

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster)
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
VST_EXPORT AEffect* main_macho(audioMasterCallback audioMaster);

VST_EXPORT AEffect* main_macho(audioMasterCallback audioMaster) { return VSTPluginMain(audioMaster); }
#endif
