// The user's program and bank files, --program and --set NAME=VALUE, turned into what the effect
// takes.
#pragma once

#include "host/LoadedModule.h"
#include "PresetFiles.h"

#include <optional>
#include <string>
#include <vector>

namespace qtool {

// A loaded module, and whether it is the effect built from this source tree. Decided once, on
// loading: only that effect's parameters have units the tool knows (its parameter table) and
// echoes it can bound (its delay line).
struct Module {
    explicit Module(const std::string& path);
    LoadedModule plugin;
    const bool builtIn;
};

// What every command takes: which module, which program, which parameter values.
struct ModuleOptions {
    std::string plugin;               // module path
    std::string presetFile, bankFile; // .fxp, .fxb; empty: none
    std::vector<std::string> settings;
    std::optional<int> program;
};

// In this order: a bank file fills every program and selects its current one; --program selects
// another; a program file fills the current one; the settings land on it. Each setting is
// "NAME=VALUE": NAME is a parameter's name (any case) or index; VALUE is in the parameter's own
// unit ("Tap 1 time=500" is 500 ms, a trailing label such as "ms" is allowed), or a normalised
// value with the suffix n ("Tap 1 time=0.25n"). Plain values need the built-in effect. Every file
// and value is checked before anything is applied.
void applySettings(Module& module, const ModuleOptions& options);

bool endsWithNoCase(const std::string& s, const std::string& suffix);

// What a program or bank file for the loaded module must match.
PresetTarget presetTarget(LoadedModule& plugin);

// How long the output must stay quiet before the echo tail counts as over: the longest echo
// the current settings can still bring back.
double silenceWindowSeconds(Module& module, double sampleRate);

} // namespace qtool
