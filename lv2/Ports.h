// The LV2 plug-in's ports: what the adapter connects and the metadata describes. The symbols are
// fixed once released: hosts keep them in their sessions (the controls' stand in the parameter table).
#pragma once

#include "core/Identity.h"
#include "core/Parameters.h"

#include <cstdint>

namespace quadecho::lv2 {

constexpr char kBinary[] = "quadecho.so";

// Audio ports first, then one control port per parameter in the table's order.
enum AudioPort : std::uint32_t { kInL, kInR, kOutL, kOutR, kAudioPorts };
constexpr std::uint32_t kFirstControl = kAudioPorts;
constexpr std::uint32_t kPortCount = kFirstControl + kNumParams;

constexpr const char* kAudioSymbols[kAudioPorts] = {"in_l", "in_r", "out_l", "out_r"};
} // namespace quadecho::lv2
