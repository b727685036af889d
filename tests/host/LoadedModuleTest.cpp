// Modules of another build as the loader finds them: each fault refused with a message that names
// it, the least a module may be driven, and what the loader asks of the operating system.
#include "host/LoadedModule.h"
#include "host/System.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qtool::LoadedModule;
using qtool::ToolError;

// What loading (and, if that passes, switching on) a faulty module throws.
std::string failure(const std::string& module)
{
    try {
        LoadedModule loaded(FAULTY_MODULES + module);
        loaded.start(44100.0, 512);
    } catch (const ToolError& e) {
        return e.what();
    }
    return "nothing";
}

TEST(LoadedModule, RefusesEachFaultSayingWhichItIs)
{
    const std::pair<const char*, const char*> cases[] = {
        {"none.so", "cannot load module"},
        {"no_entry.so", "has no entry point (neither VSTPluginMain nor main)"},
        {"null_effect.so", "its entry point returned no effect"},
        {"bad_magic.so", "returned something that is not an effect record"},
        {"bad_counts.so", "claims 65 inputs, 2 outputs, 0 parameters, 0 programs, which cannot be right"},
        {"counts_change.so", "changed its inputs or outputs when switched on"},
    };
    for (const auto& [module, message] : cases) {
        const std::string got = failure(module);
        EXPECT_NE(got.find(message), std::string::npos) << module << ": " << got;
    }
}

TEST(LoadedModule, DrivesThePlainModuleThroughItsAccumulatingCallback)
{
    LoadedModule plain(FAULTY_MODULES "plain.so");
    EXPECT_EQ(plain.effectName(), "Plain?module"); // a tab cleaned, trailing spaces cut
    EXPECT_EQ(qtool::flagNames(plain.flags()), "none");
    EXPECT_EQ(qtool::categoryName(plain.category()), "Unknown (99)");
    EXPECT_EQ(plain.numPrograms(), 0);
    EXPECT_THROW(plain.setProgram(0), ToolError);
    EXPECT_THROW(plain.parameterName(1), ToolError);
    plain.start(44100.0, 4);
    float in[4] = {0.25f, -0.5f, 0.0f, 1.0f}, out[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    float* inputs[] = {in};
    float* outputs[] = {out};
    plain.process(inputs, outputs, 4); // what the outputs held is cleared first
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(out[i], in[i]) << "frame " << i;
}

TEST(LoadedModule, NamesCategoriesAndAFailedRenameIsNeverTakenForDone)
{
    EXPECT_EQ(qtool::categoryName(0) + "|" + qtool::categoryName(11) + "|" + qtool::categoryName(12),
              "Unknown|Generator|Unknown (12)");
    std::string why; // a failed rename is never taken for a finished output
    EXPECT_FALSE(qtool::sys::replace("/nonexistent/quadecho-missing", "/nonexistent/quadecho-out", why));
    EXPECT_FALSE(why.empty());
}

} // namespace
