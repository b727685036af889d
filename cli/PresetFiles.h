// Program and bank files on disk: read whole, and written whole or not at all. Errors name the file.
#pragma once

#include "presets/PresetFile.h"

#include <string>

namespace qtool {

using quadecho::presets::encodeBankFile;
using quadecho::presets::encodeProgramFile;
using quadecho::presets::fourCharText;
using quadecho::presets::PresetContents;
using quadecho::presets::PresetError;
using quadecho::presets::PresetProgram;
using quadecho::presets::PresetTarget;

PresetContents readPresetFile(const std::string& path, const PresetTarget& target);
void writePresetFile(const std::string& path, const std::string& bytes);

} // namespace qtool
