// The user's --program and --set NAME=VALUE, turned into what the effect takes.
#pragma once

#include "PluginHost.h"

#include <optional>
#include <string>
#include <vector>

namespace qtool {

// True for the effect built from this source tree: its parameters scale by a table we know.
bool isBuiltInEffect(Plugin& plugin);

struct Setting {
    int index;
    float normalised;
};

// "NAME=VALUE": NAME is a parameter's name (any case) or index; VALUE is in the parameter's own
// unit ("Tap 1 time=500" is 500 ms, a trailing label such as "ms" is allowed), or a normalised
// value with the suffix n ("Tap 1 time=0.25n"). Plain values need the built-in effect's table.
Setting parseSetting(Plugin& plugin, const std::string& argument);

// Selects the program first, so that the settings land on it.
void applySettings(Plugin& plugin, std::optional<int> program, const std::vector<std::string>& settings);

// How long the output must stay quiet before the echo tail counts as over: the longest echo
// the current settings can still bring back.
double silenceWindowSeconds(Plugin& plugin, double sampleRate);

} // namespace qtool
