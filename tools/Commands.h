// The tool's three commands, each loading the module afresh.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qtool {

struct CommonOptions {
    std::string plugin; // module path
    std::vector<std::string> settings;
    std::optional<int> program;
};

struct RenderArguments {
    std::optional<std::string> input; // none: the built-in demo signal
    std::string output;
    int blockSize = 512;
    std::optional<double> tailSeconds;
};

struct PlotArguments {
    std::string output;
    double seconds = 4.0;
};

// The module a plain `quadecho` loads: the one built or installed beside the tool.
std::string defaultModulePath();

void runInfo(const CommonOptions& common);
void runRender(const CommonOptions& common, const RenderArguments& arguments);
void runPlot(const CommonOptions& common, const PlotArguments& arguments);

} // namespace qtool
