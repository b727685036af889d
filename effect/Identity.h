// Who the effect is to a host, stated once: for the effect itself and for the tool, which
// recognises it among other modules.
#pragma once

#include "vst/AEffect.h"

namespace quadecho {

constexpr char kEffectName[] = "VelqQuadecho";
constexpr char kProductString[] = "Quadecho Delay";
constexpr VstInt32 kUniqueId = fourCharCode('V', 'Q', 'q', 'e');
constexpr VstInt32 kVendorVersion = 0x10006;
constexpr int kNumPrograms = 8;
// The version in the effect's record (the framework's, which the effect keeps): program and bank
// files written for the effect carry it.
constexpr VstInt32 kRecordVersion = 1;

} // namespace quadecho
