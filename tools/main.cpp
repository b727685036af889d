// quadecho: a command-line host that shows, renders through and plots a plug-in module.
#include "Commands.h"
#include "PluginHost.h"
#include "Render.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>

namespace {

// The first interrupt lets the render stop cleanly; a second one ends the program at once.
void onSignal(int signal)
{
    if (qtool::interruptRequested()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    qtool::requestInterrupt();
}

void catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Options every command takes: which module, which program, which parameter values.
void addCommonOptions(CLI::App& command, qtool::CommonOptions& common)
{
    command
        .add_option("--set", common.settings,
                    "NAME=VALUE: a parameter by name (any case) or index, the value in its own unit "
                    "(\"Tap 1 time=500\" is 500 ms) or normalised with the suffix n (\"Tap 1 time=0.25n\")")
        ->allow_extra_args(false)
        ->type_name("NAME=VALUE");
    command.add_option("--program", common.program, "select this program before the --set values")
        ->check(CLI::NonNegativeNumber);
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Shows, renders through and plots a plug-in module of the 2.4 interface; without --plugin, "
                 "the Quadecho module built or installed beside this tool."};
    app.name("quadecho");
    app.require_subcommand(1);
    app.fallthrough();
    qtool::CommonOptions common;
    common.plugin = qtool::defaultModulePath();
    app.add_option("--plugin", common.plugin, "the module to load")->capture_default_str();

    CLI::App* info = app.add_subcommand("info", "identity, inputs and outputs, flags, parameters and programs");
    addCommonOptions(*info, common);

    qtool::RenderArguments renderArgs;
    std::vector<std::string> files;
    CLI::App* render =
        app.add_subcommand("render", "render IN (WAV, AIFF, FLAC, ...) into OUT, or without IN a built-in demo signal, "
                                     "and the echo tail after it");
    render
        ->add_option("FILES", files,
                     "[IN] OUT: the sound file to render (none: the built-in demo signal) and the file to write, "
                     "its format chosen by its extension")
        ->required()
        ->expected(1, 2)
        ->type_name("");
    addCommonOptions(*render, common);
    render->add_option("--block", renderArgs.blockSize, "frames per processing call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
    render
        ->add_option("--tail", renderArgs.tailSeconds,
                     "seconds of echo tail after the input (default: until the output stays below -90 dBFS "
                     "for the longest tap time, at most 30 s)")
        ->check(CLI::Range(0.0, 3600.0));

    qtool::PlotArguments plotArgs;
    CLI::App* plot = app.add_subcommand("plot", "the impulse response (left and right) as an SVG image");
    plot->add_option("OUT", plotArgs.output, "the SVG file to write")->required();
    addCommonOptions(*plot, common);
    plot->add_option("--length", plotArgs.seconds, "seconds shown")
        ->check(CLI::Range(0.01, 60.0))
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    try {
        if (info->parsed()) {
            qtool::runInfo(common);
        } else if (render->parsed()) {
            renderArgs.output = files.back();
            if (files.size() == 2)
                renderArgs.input = files.front();
            catchInterrupts();
            qtool::runRender(common, renderArgs);
        } else {
            catchInterrupts();
            qtool::runPlot(common, plotArgs);
        }
    } catch (const qtool::Interrupted&) {
        std::fprintf(stderr, "quadecho: interrupted; no output written\n");
        return 130;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quadecho: %s\n", e.what());
        return 1;
    }
    return 0;
}
