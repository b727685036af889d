// Program files (.fxp) and bank files (.fxb) as hosts of the 2.4 interface import and export them:
// every integer 32-bit and every float IEEE single, both big-endian, whatever the processor.
// Reading trusts nothing of the file: every field is checked against the effect it is for.
#pragma once

#include "core/Identity.h"
#include "core/Parameters.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quadecho::presets {

// What is wrong with a file's bytes or with a program to be written; the message names it.
struct PresetError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A program's longest name in a file: 28 bytes hold 27 characters and the terminating zero.
constexpr std::size_t kPresetNameBytes = 28;

struct PresetProgram {
    std::string name;
    std::vector<float> values; // normalised, 0..1, in parameter order
};

// What a file must match: the effect's unique ID and counts. version is what files written for
// it carry (the effect's own version); reading accepts any.
struct PresetTarget {
    std::int32_t uniqueId = 0;
    std::int32_t version = 0;
    int numParams = 0;
    int numPrograms = 0;
};

// The effect built from this source, as its program and bank files name it.
inline constexpr PresetTarget kQuadechoTarget{quadecho::kUniqueId, quadecho::kRecordVersion, quadecho::kNumParams,
                                              quadecho::kNumPrograms};

struct PresetContents {
    bool bank = false;
    std::vector<PresetProgram> programs; // one for a program file
    int current = 0;                     // the bank's current program (format version 2), else 0
};

// Throws PresetError saying what is wrong (without the file's name, which the caller adds) for a
// program whose values are not 0..1 or not as many as the effect's parameters. Names are cut to
// 27 characters.
std::string encodeProgramFile(const PresetProgram& program, const PresetTarget& target);
// A version 2 bank, which keeps the current program.
std::string encodeBankFile(const std::vector<PresetProgram>& programs, int current, const PresetTarget& target);

// A program or a bank file's bytes; throws PresetError saying what is wrong.
PresetContents decodePresetFile(std::string_view bytes, const PresetTarget& target);

// "VQqe" for a code of four printable characters, otherwise its hexadecimal value.
std::string fourCharText(std::int32_t code);

} // namespace quadecho::presets
