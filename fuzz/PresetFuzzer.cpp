// Program and bank files from nowhere: the reader must refuse what is malformed with a PresetError
// and nothing else, and what it accepts must write back to a file that reads the same.
#include "presets/PresetFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quadecho::presets;
    const PresetTarget& target = kQuadechoTarget;
    PresetContents read;
    try {
        read = decodePresetFile(std::string_view(reinterpret_cast<const char*>(data), size), target);
    } catch (const PresetError&) {
        return 0;
    }
    const std::string written = read.bank ? encodeBankFile(read.programs, read.current, target)
                                          : encodeProgramFile(read.programs.front(), target);
    const PresetContents again = decodePresetFile(written, target);
    for (std::size_t p = 0; p < read.programs.size(); ++p)
        if (again.programs[p].values != read.programs[p].values ||
            again.programs[p].name != read.programs[p].name.substr(0, kPresetNameBytes - 1))
            std::abort();
    return 0;
}
