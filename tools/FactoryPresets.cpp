// Writes the factory bank (quadecho-factory.fxb) and each of its programs (NN-name.fxp) into the
// folder given, from the programs written once in core/FactoryPrograms.h: built and run with the
// tool, in cross builds through the emulator.
#include "PresetFile.h"
#include "core/FactoryPrograms.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quadecho;

// "01-slapback.fxp": in the bank's order.
std::string fileName(int number, const char* name)
{
    return (number < 9 ? "0" : "") + std::to_string(number + 1) + "-" + factorySlug(name) + ".fxp";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    static_assert(std::size(kFactoryPrograms) == kNumPrograms, "the factory bank fills the effect's programs");
    const qtool::PresetTarget& target = qtool::kQuadechoTarget;
    try {
        std::vector<qtool::PresetProgram> programs;
        for (const FactoryProgram& program : kFactoryPrograms) {
            float values[kNumParams];
            factoryValues(program, values);
            qtool::PresetProgram p{program.name, {}};
            for (int i = 0; i < kNumParams; ++i)
                p.values.push_back(valueToLinear(kParameters[i], values[i]));
            const int number = static_cast<int>(programs.size());
            qtool::writePresetFile(folder + "/" + fileName(number, program.name), qtool::encodeProgramFile(p, target));
            programs.push_back(std::move(p));
        }
        qtool::writePresetFile(folder + "/quadecho-factory.fxb", qtool::encodeBankFile(programs, 0, target));
    } catch (const qtool::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
