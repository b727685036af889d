// The user's program and bank files, --program and --set NAME=VALUE, turned into what the effect
// takes.
#pragma once

#include "Effect.h"
#include "PresetFiles.h"
#include "Render.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qtool {

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
// value with the suffix n ("Tap 1 time=0.25n"). Plain values need known units: the built-in
// effect's or a CLAP module's. A CLAP module has no programs; only Quadecho's takes program and
// bank files (a bank's current program), through its table's scaling. Every file and value is
// checked before anything is applied.
void applySettings(Effect& effect, const ModuleOptions& options);

// Why SECONDS in "NAME=VALUE@SECONDS" is not a time (empty if it is): a command-line error.
std::string automationTimeError(const std::string& argument);
// In frame order; at one frame in the order given. NAME and VALUE are read as --set reads them.
std::vector<Automation> parseAutomation(Effect& effect, const std::vector<std::string>& arguments, double rate);

bool endsWithNoCase(const std::string& s, const std::string& suffix);

// What a program or bank file for the loaded module must match.
PresetTarget presetTarget(LoadedModule& plugin);

// How long the output must stay quiet before the echo tail counts as over: the longest echo the
// settings, now or automated, can still bring back.
double silenceWindowSeconds(Effect& effect, double sampleRate, std::span<const Automation> automation);

} // namespace qtool
