#include "Settings.h"

#include "core/Parameters.h"
#include "core/Types.h"
#include "core/ValueText.h"
#include "core/Identity.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <tuple>

namespace qtool {

namespace {

// How long the output of a module that does not say how long its tail is must stay quiet.
constexpr double kUnknownTailSeconds = 2.0;

struct Setting {
    int index;
    float normalised;
};

bool isBuiltInEffect(LoadedModule& plugin)
{
    return plugin.uniqueId() == quadecho::kUniqueId && plugin.numParams() == quadecho::kNumParams &&
           plugin.effectName() == quadecho::kEffectName;
}

std::string lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

int findParameter(LoadedModule& plugin, const std::string& name)
{
    const std::string wanted = lowered(trimmed(name));
    for (int i = 0; i < plugin.numParams(); ++i)
        if (lowered(trimmed(plugin.parameterName(i))) == wanted)
            return i;
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); })) {
        const auto index = quadecho::parseNumber(wanted);
        if (index && *index < plugin.numParams())
            return static_cast<int>(*index);
    }
    throw ToolError("unknown parameter '" + trimmed(name) + "' (quadecho info lists them)");
}

std::string formatted(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

Setting parseSetting(Module& module, const std::string& argument)
{
    LoadedModule& plugin = module.plugin;
    const auto equals = argument.rfind('=');
    if (equals == std::string::npos)
        throw ToolError("--set '" + argument + "': expected NAME=VALUE");
    const int index = findParameter(plugin, argument.substr(0, equals));
    const std::string name = plugin.parameterName(index);
    std::string value = trimmed(argument.substr(equals + 1));

    if (!value.empty() && (value.back() == 'n' || value.back() == 'N')) {
        const auto normalised = quadecho::parseNumber(value.substr(0, value.size() - 1));
        if (!normalised)
            throw ToolError("--set '" + argument + "': '" + value + "' is not a number");
        if (*normalised < 0.0 || *normalised > 1.0)
            throw ToolError("--set '" + argument + "': a normalised value lies between 0n and 1n");
        return {index, static_cast<float>(*normalised)};
    }

    const std::string label = plugin.parameterLabel(index);
    if (!label.empty() && endsWithNoCase(value, label))
        value = value.substr(0, value.size() - label.size());
    const auto real = quadecho::parseNumber(value);
    if (!real)
        throw ToolError("--set '" + argument + "': '" + trimmed(value) + "' is not a number");
    if (!module.builtIn)
        throw ToolError("--set '" + argument + "': the units of this module's parameters are unknown; give a " +
                        "normalised value instead, such as '" + name + "=0.5n'");

    const quadecho::ParameterFacts& row = quadecho::kParameters[index];
    if (*real < row.minValue || *real > row.maxValue)
        throw ToolError("--set '" + argument + "': " + name + " ranges from " + formatted(row.minValue) + " to " +
                        formatted(row.maxValue) + (label.empty() ? "" : " " + label));
    return {index, std::clamp(quadecho::valueToLinear(row, static_cast<float>(*real)), 0.0f, 1.0f)};
}

} // namespace

bool endsWithNoCase(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && lowered(s.substr(s.size() - suffix.size())) == lowered(suffix);
}

Module::Module(const std::string& path) : plugin(path), builtIn(isBuiltInEffect(plugin)) {}

PresetTarget presetTarget(LoadedModule& plugin)
{
    return {plugin.uniqueId(), plugin.version(), plugin.numParams(), plugin.numPrograms()};
}

void applySettings(Module& module, const ModuleOptions& options)
{
    // Every value and file is checked before any is applied: a typo in the last one changes nothing.
    LoadedModule& plugin = module.plugin;
    std::vector<Setting> parsed;
    for (const std::string& s : options.settings)
        parsed.push_back(parseSetting(module, s));
    std::optional<PresetContents> bank, program;
    for (const auto& [path, wantsBank, contents] :
         {std::tuple(&options.bankFile, true, &bank), std::tuple(&options.presetFile, false, &program)}) {
        if (path->empty())
            continue;
        *contents = readPresetFile(*path, presetTarget(plugin));
        if ((*contents)->bank != wantsBank)
            throw ToolError("'" + *path + "' is a " +
                            (wantsBank ? "program file: give it with --preset" : "bank file: give it with --bank"));
    }
    const auto load = [&](const PresetProgram& p) {
        for (std::size_t i = 0; i < p.values.size(); ++i)
            plugin.setParameter(static_cast<int>(i), p.values[i]);
        plugin.setProgramName(p.name);
    };
    if (bank) {
        for (std::size_t i = 0; i < bank->programs.size(); ++i) {
            plugin.setProgram(static_cast<int>(i));
            load(bank->programs[i]);
        }
        plugin.setProgram(bank->current);
    }
    if (options.program)
        plugin.setProgram(*options.program);
    if (program)
        load(program->programs.front());
    for (const Setting& s : parsed)
        plugin.setParameter(s.index, s.normalised);
}

double silenceWindowSeconds(Module& module, double sampleRate)
{
    if (!module.builtIn) {
        const std::intptr_t tail = module.plugin.tailSize(); // 0: not known, 1: none
        return tail > 1 ? static_cast<double>(tail) / sampleRate : kUnknownTailSeconds;
    }
    // A tap at 0 ms or at the end of the line reads the whole of it.
    const double line = quadecho::kLineSeconds;
    double longest = 0.0;
    for (int tap = 0; tap < quadecho::kNumTaps; ++tap) {
        const int index = quadecho::tapParam(tap, quadecho::TapParam::Time);
        const double ms = quadecho::valueFromLinear(quadecho::kParameters[index], module.plugin.parameter(index));
        const double samples = ms * 0.001 * sampleRate;
        longest = std::max(longest, samples >= 1.0 && ms < line * 1000.0 ? ms * 0.001 : line);
    }
    return longest;
}

} // namespace qtool
