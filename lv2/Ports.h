// The LV2 plug-in's identity and ports: what the adapter connects and the metadata describes. The
// URI and the symbols are fixed once released: hosts keep them in their sessions.
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
constexpr const char* kControlSymbols[kNumParams] = {
    "tap1_time",     "tap1_pan",    "tap1_feedback", "tap1_level", "tap2_time",      "tap2_pan",
    "tap2_feedback", "tap2_level",  "tap3_time",     "tap3_pan",   "tap3_feedback",  "tap3_level",
    "tap4_time",     "tap4_pan",    "tap4_feedback", "tap4_level", "wet_dry_mix",    "filter_cutoff",
    "filter_q",      "filter_type", "filter_sweep",  "saturation", "master_feedback"};

} // namespace quadecho::lv2
