// The tool's commands, each loading the module afresh.
#pragma once

#include "Settings.h"

#include <optional>
#include <string>
#include <vector>

namespace qtool {

struct RenderOptions {
    std::vector<std::string> files; // [IN] OUT, as given
    int blockSize = 512;
    std::optional<double> tailSeconds; // none: until the output stays quiet
    std::vector<std::string> automation; // NAME=VALUE@SECONDS

    // None: the built-in demo signal.
    std::optional<std::string> input() const { return files.size() == 2 ? std::optional(files.front()) : std::nullopt; }
    const std::string& output() const { return files.back(); }
};

struct PlotOptions {
    std::string output;
    double seconds = 4.0;
    double rate = 44100.0;
    bool linear = false; // the impulse response on a linear scale rather than in dB
    bool filter = false; // the filter's magnitude response rather than the impulse response
    bool strip = false;  // the mixer strip's picture as PNG (draw/Strip.h) rather than an SVG page
    int width = 200;     // the picture's width and most height in pixels; its height follows the width
    std::optional<int> height;
};

// The module a plain `quadecho` loads: the one built or installed beside the tool.
std::string defaultModulePath();

void runInfo(const ModuleOptions& module);
void runRender(const ModuleOptions& module, const RenderOptions& options);
void runPlot(const ModuleOptions& module, const PlotOptions& options);
// Writes the current program (OUT.fxp) or every program (OUT.fxb) as hosts import them.
void runSave(const ModuleOptions& module, const std::string& output);

} // namespace qtool
