#include "Settings.h"

#include "core/Parameters.h"
#include "core/Types.h"
#include "core/ValueText.h"
#include "core/Identity.h"
#include "Render.h"

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
    double value; // as the module takes it
};

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

int findParameter(Effect& plugin, const std::string& name)
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

// argument is NAME=VALUE; errors start with given, which names the option and its argument.
Setting parseSetting(Effect& effect, const std::string& given, const std::string& argument)
{
    const auto equals = argument.rfind('=');
    if (equals == std::string::npos)
        throw ToolError(given + "expected NAME=VALUE");
    const int index = findParameter(effect, argument.substr(0, equals));
    const std::string name = effect.parameterName(index);
    std::string value = trimmed(argument.substr(equals + 1));

    if (!value.empty() && (value.back() == 'n' || value.back() == 'N')) {
        const auto normalised = quadecho::parseNumber(value.substr(0, value.size() - 1));
        if (!normalised)
            throw ToolError(given + "'" + value + "' is not a number");
        if (*normalised < 0.0 || *normalised > 1.0)
            throw ToolError(given + "a normalised value lies between 0n and 1n");
        return {index, effect.fromNormalised(index, *normalised)};
    }

    const std::string label = effect.parameterLabel(index);
    if (!label.empty() && endsWithNoCase(value, label))
        value = value.substr(0, value.size() - label.size());
    const auto real = quadecho::parseNumber(value);
    if (!real)
        throw ToolError(given + "'" + trimmed(value) + "' is not a number");
    const auto range = effect.plainRange(index);
    if (!range)
        throw ToolError(given + "the units of this module's parameters are unknown; give a " +
                        "normalised value instead, such as '" + name + "=0.5n'");
    if (!(*real >= range->first && *real <= range->second))
        throw ToolError(given + name + " ranges from " + formatted(range->first) + " to " + formatted(range->second) +
                        (label.empty() ? "" : " " + label));
    return {index, effect.fromPlain(index, *real)};
}

// The program and bank files and --program, for a 2.4 module.
void applyPrograms(LoadedModule& plugin, const ModuleOptions& options, const std::optional<PresetContents>& bank,
                   const std::optional<PresetContents>& program)
{
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
}

// What the files and --program mean for a CLAP module: no programs; the built-in effect's program
// values, as its 2.4 module would hear them.
void checkClapPrograms(Effect& effect, const ModuleOptions& options)
{
    if (options.program)
        throw ToolError("--program: module '" + effect.path() + "' is a CLAP module, and CLAP has no programs");
    if (!effect.builtIn() && (!options.bankFile.empty() || !options.presetFile.empty()))
        throw ToolError("--preset and --bank: module '" + effect.path() +
                        "' is a CLAP module other than Quadecho, whose values program and bank files do not hold");
}

void applyClapProgram(Effect& effect, const PresetProgram& p)
{
    for (std::size_t i = 0; i < p.values.size(); ++i) {
        const int index = static_cast<int>(i);
        effect.setValue(index, quadecho::valueFromLinear(quadecho::kParameters[index], p.values[i]));
    }
}

} // namespace

bool endsWithNoCase(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && lowered(s.substr(s.size() - suffix.size())) == lowered(suffix);
}

PresetTarget presetTarget(LoadedModule& plugin)
{
    return {plugin.uniqueId(), plugin.version(), plugin.numParams(), plugin.numPrograms()};
}

void applySettings(Effect& effect, const ModuleOptions& options)
{
    // Every value and file is checked before any is applied: a typo in the last one changes nothing.
    LoadedModule* plugin = effect.vst();
    if (!plugin)
        checkClapPrograms(effect, options);
    std::vector<Setting> parsed;
    for (const std::string& s : options.settings)
        parsed.push_back(parseSetting(effect, "--set '" + s + "': ", s));
    const PresetTarget target = plugin ? presetTarget(*plugin)
                                       : PresetTarget{quadecho::kUniqueId, quadecho::kRecordVersion,
                                                      quadecho::kNumParams, quadecho::kNumPrograms};
    std::optional<PresetContents> bank, program;
    for (const auto& [path, wantsBank, contents] :
         {std::tuple(&options.bankFile, true, &bank), std::tuple(&options.presetFile, false, &program)}) {
        if (path->empty())
            continue;
        *contents = readPresetFile(*path, target);
        if ((*contents)->bank != wantsBank)
            throw ToolError("'" + *path + "' is a " +
                            (wantsBank ? "program file: give it with --preset" : "bank file: give it with --bank"));
    }
    if (plugin) {
        applyPrograms(*plugin, options, bank, program);
    } else {
        if (bank)
            applyClapProgram(effect, bank->programs.at(static_cast<std::size_t>(bank->current)));
        if (program)
            applyClapProgram(effect, program->programs.front());
    }
    for (const Setting& s : parsed)
        effect.setValue(s.index, s.value);
}

std::string automationTimeError(const std::string& argument)
{
    const auto at = argument.rfind('@');
    if (at == std::string::npos)
        return "expected NAME=VALUE@SECONDS";
    const std::string time = argument.substr(at + 1);
    const auto seconds = quadecho::parseNumber(time);
    if (!seconds)
        return "'" + time + "' is not a time in seconds";
    if (*seconds < 0.0)
        return "a time lies at 0 seconds or later";
    return {};
}

std::vector<Automation> parseAutomation(Effect& effect, const std::vector<std::string>& arguments, double rate)
{
    std::vector<Automation> automation;
    for (const std::string& a : arguments) {
        if (const std::string error = automationTimeError(a); !error.empty())
            throw ToolError("--automate '" + a + "': " + error);
        const auto at = a.rfind('@');
        const Setting s = parseSetting(effect, "--automate '" + a + "': ", a.substr(0, at));
        const double seconds = *quadecho::parseNumber(a.substr(at + 1));
        automation.push_back({a, std::llround(seconds * rate), s.index, s.value});
    }
    std::stable_sort(automation.begin(), automation.end(),
                     [](const Automation& x, const Automation& y) { return x.frame < y.frame; });
    return automation;
}

double silenceWindowSeconds(Effect& effect, double sampleRate, std::span<const Automation> automation)
{
    if (!effect.builtIn()) {
        const std::optional<double> tail = effect.tailSeconds(sampleRate);
        return tail ? std::min(*tail, kTailCapSeconds) : kUnknownTailSeconds;
    }
    // A tap at 0 ms or at the end of the line reads the whole of it.
    const double line = quadecho::kLineSeconds;
    double longest = 0.0;
    const auto reach = [&](double ms) {
        const double samples = ms * 0.001 * sampleRate;
        longest = std::max(longest, samples >= 1.0 && ms < line * 1000.0 ? ms * 0.001 : line);
    };
    for (int tap = 0; tap < quadecho::kNumTaps; ++tap) {
        const int index = quadecho::tapParam(tap, quadecho::TapParam::Time);
        reach(effect.plainOf(index, effect.value(index)));
        for (const Automation& a : automation)
            if (a.index == index)
                reach(effect.plainOf(index, a.value));
    }
    return longest;
}

} // namespace qtool
