// quadecho: a command-line host that shows, renders through and plots a plug-in module.
#include "AudioFiles.h"
#include "Commands.h"
#include "host/LoadedModule.h"
#include "Render.h"
#include "Settings.h"
#include "host/System.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

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

// Options every command takes: which program, which parameter values (--plugin is the app's, so
// that it may come before or after the command).
void addModuleOptions(CLI::App& command, qtool::ModuleOptions& module)
{
    command
        .add_option("--set", module.settings,
                    "NAME=VALUE: a parameter by name (any case) or index, the value in its own unit "
                    "(\"Tap 1 time=500\" is 500 ms) or normalised with the suffix n (\"Tap 1 time=0.25n\")")
        ->allow_extra_args(false)
        ->type_name("NAME=VALUE");
    command.add_option("--program", module.program, "select this program before the --set values")
        ->check(CLI::NonNegativeNumber);
    CLI::Option* bank =
        command.add_option("--bank", module.bankFile, "load a bank file into every program and select its current one")
            ->type_name("FILE.fxb");
    command.add_option("--preset", module.presetFile, "load a program file into the current program")
        ->type_name("FILE.fxp")
        ->excludes(bank);
}

void addRenderOptions(CLI::App& command, qtool::RenderOptions& render)
{
    command
        .add_option("FILES", render.files,
                    "[IN] OUT: the sound file to render (none: the built-in demo signal) and the file to write, "
                    "its format chosen by its extension")
        ->required()
        ->expected(1, 2)
        ->type_name("");
    command.add_option("--block", render.blockSize, "frames per processing call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
    command
        .add_option("--tail", render.tailSeconds,
                    "seconds of echo tail after the input (default: until the output stays below -90 dBFS "
                    "for the longest tap time, at most 30 s)")
        ->check(CLI::Range(0.0, 3600.0));
    command
        .add_option("--automate", render.automation,
                    "NAME=VALUE@SECONDS: from SECONDS after the first input frame (in the input or in the tail) the "
                    "parameter takes VALUE, given as for --set, until its next --automate; a step at that very frame. "
                    "Repeatable; several at one time apply in the order given; a time at or after the end of the "
                    "render is reported and ignored")
        ->allow_extra_args(false)
        ->type_name("NAME=VALUE@SECONDS")
        ->check(CLI::Validator(
            [](std::string& argument) {
                const std::string error = qtool::automationTimeError(argument);
                return error.empty() ? error : "'" + argument + "': " + error;
            },
            ""));
}

void addPlotOptions(CLI::App& command, qtool::PlotOptions& plot)
{
#if QUADECHO_PNG
    command.add_option("OUT", plot.output, "the SVG file to write (with --strip, the PNG file)")->required();
#else
    command.add_option("OUT", plot.output, "the SVG file to write")->required();
#endif
    command.add_option("--length", plot.seconds, "seconds of impulse response shown")
        ->check(CLI::Range(0.01, 60.0))
        ->capture_default_str();
    command.add_option("--rate", plot.rate, "the sample rate in Hz")
        ->check(CLI::Range(1000.0, 384000.0))
        ->capture_default_str();
    command.add_flag("--linear", plot.linear,
                     "the impulse response on a linear scale (default: in dB, down to -80 dB)");
    command
        .add_flag("--filter", plot.filter,
                  "the filter's magnitude response in dB over a logarithmic frequency axis instead, with a mark where "
                  "it runs (Quadecho only)")
        ->excludes("--linear");
#if QUADECHO_PNG
    CLI::Option* strip =
        command.add_flag("--strip", plot.strip,
                         "the picture an LV2 host with an inline display (Ardour, Mixbus) shows in its mixer strip "
                         "instead, as a PNG image: the echoes over 2 s (left up, right down, -60 to 0 dB) above the "
                         "filter's response (Quadecho only)");
    strip->excludes("--linear")->excludes("--filter")->excludes("--length");
    command.add_option("--width", plot.width, "--strip: the picture's width in pixels; its height is half of it")
        ->check(CLI::Range(1, 4096))
        ->capture_default_str()
        ->needs(strip);
    command.add_option("--height", plot.height, "--strip: the most rows the picture may have")
        ->check(CLI::Range(1, 4096))
        ->needs(strip);
#endif
}

// One row per command: adding a command is adding a row.
struct Command {
    const char* name;
    std::string description;
    std::function<void(CLI::App&)> addOptions; // its own, after the module options every command takes
    std::function<void()> run;
    bool stopsOnInterrupt; // the first interrupt ends it cleanly, leaving no output
};

void addCommands(CLI::App& app, qtool::ModuleOptions& module, std::span<const Command> commands)
{
    app.name("quadecho");
    // Paths starting with '/' are paths on Windows too (wine users, Unix-like shells): no option
    // starts with it. Set before the commands are added, which take it over.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--plugin", module.plugin,
                   "the module to load (default: the Quadecho module beside this tool, or installed in ../lib/vst)")
        ->type_name("PATH");
    for (const Command& c : commands) {
        CLI::App* command = app.add_subcommand(c.name, c.description);
        addModuleOptions(*command, module);
        c.addOptions(*command);
    }
}

// The exit status of a command: 0, 1 for an error, 130 for an interrupt.
int run(const Command& command)
{
    if (command.stopsOnInterrupt)
        qtool::sys::catchInterrupts(onSignal);
    try {
        command.run();
    } catch (const qtool::Interrupted&) {
        std::fprintf(stderr, "quadecho: interrupted; no output written\n");
        return 130;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quadecho: %s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qtool::ModuleOptions module;
    module.plugin = qtool::defaultModulePath();
    qtool::RenderOptions render;
    qtool::PlotOptions plot;
    std::string saved;
    const Command commands[] = {
        {"info", "identity, inputs and outputs, flags, parameters and programs", [](CLI::App&) {},
         [&] { qtool::runInfo(module); }, false},
        {"render",
         "render IN into OUT, or without IN a built-in demo signal, and the echo tail after it; the formats, by "
         "extension: " +
             qtool::soundFormats(),
         [&](CLI::App& command) { addRenderOptions(command, render); }, [&] { qtool::runRender(module, render); },
         true},
        {"plot",
         "the impulse response (left and right, in dB) or the filter's response as an SVG image"
#if QUADECHO_PNG
         ", or the mixer strip's picture as a PNG image"
#else
         " (this Windows build has no --strip: it goes without libpng, which Debian does not build for Windows)"
#endif
         ,
         [&](CLI::App& command) { addPlotOptions(command, plot); }, [&] { qtool::runPlot(module, plot); }, true},
        {"save", "the current program as a program file (OUT.fxp) or every program as a bank file (OUT.fxb)",
         [&](CLI::App& command) {
             command.add_option("OUT", saved, "the file to write, in the format hosts import")->required();
         },
         [&] { qtool::runSave(module, saved); }, false},
    };

    CLI::App app{"Shows, renders through and plots a plug-in module of the 2.4 interface or a CLAP module (one "
                 "that exports clap_entry, whatever its name); without --plugin, the Quadecho module built or "
                 "installed beside this tool."};
    addCommands(app, module, commands);
    app.set_version_flag("--version", "quadecho " QUADECHO_VERSION_TEXT, "print the tool's name and version");
    app.set_help_all_flag("--help-all", "every command's options");
    try {
        const std::vector<std::string> args = qtool::sys::arguments(argc, argv);
        std::vector<const char*> pointers;
        for (const std::string& a : args)
            pointers.push_back(a.c_str());
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    for (const Command& c : commands)
        if (app.got_subcommand(c.name))
            return run(c);
    return 0;
}
