// What the CLAP module offers beyond its entry, for its tests and the benchmark only (the module
// exports clap_entry alone).
#pragma once

#include "clap/Abi.h"

#include <cstdint>

namespace quadecho::clap {

// How many times the instance behind a record this module made has formed its coefficients.
std::uint32_t coefficientsFormed(const clap_plugin_t* plugin) noexcept;

} // namespace quadecho::clap
