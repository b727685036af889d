// Writes the factory bank (quadecho-factory.fxb) and each of its programs (NN-name.fxp) into the
// folder given, from the programs written once in core/FactoryPrograms.h: built and run with the
// tool, in cross builds through the emulator.
#include "PresetFile.h"
#include "core/FactoryPrograms.h"
#include "generate/Generate.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quadecho;

// "01-slapback.fxp": in the bank's order.
std::string fileName(int number, const char* name)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", number + 1);
    return prefix + factorySlug(name) + ".fxp";
}

} // namespace

int main(int argc, char** argv)
{
    static_assert(std::size(kFactoryPrograms) == kNumPrograms, "the factory bank fills the effect's programs");
    const presets::PresetTarget& target = presets::kQuadechoTarget;
    std::vector<generate::File> files;
    try {
        std::vector<presets::PresetProgram> programs;
        for (const FactoryProgram& program : kFactoryPrograms) {
            float values[kNumParams];
            factoryValues(program, values);
            presets::PresetProgram p{program.name, {}};
            for (int i = 0; i < kNumParams; ++i)
                p.values.push_back(valueToLinear(kParameters[i], values[i]));
            const int number = static_cast<int>(programs.size());
            files.push_back(generate::bytesFile(fileName(number, program.name), presets::encodeProgramFile(p, target)));
            programs.push_back(std::move(p));
        }
        files.push_back(generate::bytesFile("quadecho-factory.fxb", presets::encodeBankFile(programs, 0, target)));
    } catch (const presets::PresetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return generate::writeInto(argc, argv, "FOLDER", files);
}
