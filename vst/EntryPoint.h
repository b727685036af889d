// The module's only exported symbols: a host looks them up by name and calls one of them once
// per effect instance. Programs that host the effect in-process call them directly.
#pragma once

#include "AEffect.h"

#define VST_EXPORT extern "C" __attribute__((visibility("default")))

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster);
#if VST_DEPRECATED_SUPPORT
VST_EXPORT AEffect* main_macho(audioMasterCallback audioMaster);
#endif
