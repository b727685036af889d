// Who the effect is, in plain types, stated once for every format and tool: names, the unique ID,
// the version, the LV2 URI and the CLAP id. The IDs never change once released: hosts keep them in
// their sessions and files.
#pragma once

#include <cstdint>

namespace quadecho {

// Four characters packed with the first one in the most significant byte.
constexpr std::int32_t fourCharCode(char a, char b, char c, char d) noexcept
{
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                     (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                     (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr char kEffectName[] = "VelqQuadecho";
constexpr char kProductString[] = "Quadecho Delay";
constexpr char kVendorName[] = "Velmorn Quaddle";
constexpr std::int32_t kUniqueId = fourCharCode('V', 'Q', 'q', 'e');
constexpr char kLv2Uri[] = "urn:velmorn-quaddle:quadecho";
constexpr char kClapId[] = "com.velmorn-quaddle.quadecho";

// The version comes from the build (the project's one version, each part below 256): the vendor
// version hosts read is major << 16 | minor << 8 | patch, and LV2's minor and micro follow from it.
struct Version {
    int major, minor, patch;
};
constexpr Version kVersion{QUADECHO_VERSION_MAJOR, QUADECHO_VERSION_MINOR, QUADECHO_VERSION_PATCH};
constexpr std::int32_t kVendorVersion = kVersion.major << 16 | kVersion.minor << 8 | kVersion.patch;
constexpr char kVersionText[] = QUADECHO_VERSION_TEXT; // "1.0.6"
static_assert(kVersion.minor < 256 && kVersion.patch < 256, "each part of the version fits a byte");

constexpr int kNumPrograms = 8;
// The version in the effect's record (the framework's, which the effect keeps): program and bank
// files written for the effect carry it.
constexpr std::int32_t kRecordVersion = 1;

} // namespace quadecho
