#include "Commands.h"

#include "AudioFiles.h"
#include "DemoSignal.h"
#include "Plot.h"
#include "PresetFiles.h"
#include "Render.h"
#include "Settings.h"
#include "host/System.h"
#include "core/Coefficients.h"
#include "core/FilterResponse.h"
#include "core/Parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace qtool {

namespace {

// The plot's impulse: quiet enough to stay clear of the clipper, shown scaled back to 1.
constexpr float kImpulseLevel = 0.001f;
constexpr int kPlotBlockSize = 512;

std::string format(const char* pattern, double value)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

double decibels(float level) { return level > 0.0f ? 20.0 * std::log10(static_cast<double>(level)) : -INFINITY; }

void requireOutputs(LoadedModule& plugin)
{
    if (plugin.numOutputs() < 1)
        throw ToolError("module '" + plugin.path() + "' has no audio outputs: there is nothing to render");
}

std::string settingsCaption(LoadedModule& plugin, const ModuleOptions& module)
{
    std::string caption =
        "program " + std::to_string(plugin.program()) + " \"" + plugin.programName(plugin.program()) + "\"";
    for (const std::string& s : module.settings)
        caption += ", " + s;
    return caption;
}

// The input file or the demo signal, with a note when the effect takes only some of its channels.
std::unique_ptr<Source> openSource(const std::optional<std::string>& input, LoadedModule& plugin)
{
    std::unique_ptr<Source> source;
    if (input)
        source = std::make_unique<FileSource>(*input);
    else
        source = std::make_unique<BufferSource>(Planar{demoSignal(kDemoSampleRate)}, kDemoSampleRate);
    const std::string name = input ? "'" + *input + "'" : "the demo signal";
    if (plugin.numInputs() > 1 && source->channels() > plugin.numInputs())
        std::fprintf(stderr, "quadecho: note: %s has %d channels and the effect takes %d: the rest are left out\n",
                     name.c_str(), source->channels(), plugin.numInputs());
    return source;
}

void reportRender(const RenderOptions& options, int channels, double rate, const RenderSummary& summary,
                  bool storesFloats)
{
    std::printf("Wrote %s: %d channel%s at %g Hz, %.2f s of %s and %.2f s of echo tail, peak %.1f dBFS\n",
                options.output().c_str(), channels, channels == 1 ? "" : "s", rate,
                static_cast<double>(summary.inputFrames) / rate, options.input() ? "input" : "demo signal",
                static_cast<double>(summary.tailFrames) / rate, decibels(summary.peak));
    if (summary.peak > 1.0f && !storesFloats)
        std::fprintf(stderr, "quadecho: warning: the output peaks above full scale and this format clips it\n");
}

// Through char8_t: Windows takes a narrow path to be in its ANSI code page, not UTF-8.
std::string normalised(const std::string& path)
{
    const std::u8string normal =
        std::filesystem::path(std::u8string(path.begin(), path.end())).lexically_normal().u8string();
    return {normal.begin(), normal.end()};
}

// Why a cutoff set above the cap changes nothing.
std::string capNote(double setHz, double rate)
{
    return format("set %.0f Hz; the filter's frequency coefficient is capped at ", setHz) +
           format("%g, so every cutoff above ", quadecho::kMostFrequencyCoefficient) +
           format("%.0f Hz at ", quadecho::filterFrequency(quadecho::kMostFrequencyCoefficient, rate)) +
           format("%g Hz gives this filter", rate);
}

} // namespace

std::string defaultModulePath()
{
    const std::string exe = sys::executablePath();
    const std::string module = sys::kModuleFileName;
    if (exe.empty())
        return module;
    const std::string dir = exe.substr(0, exe.find_last_of(sys::kPathSeparators));
    // Built: the module lies beside the tool. Installed: the tool is in bin, the module in lib/vst.
    std::string ignored;
    for (const std::string& candidate : {dir + "/" + module, dir + "/../lib/vst/" + module})
        if (sys::isFile(candidate, ignored))
            return normalised(candidate);
    return dir + "/" + module;
}

void runInfo(const ModuleOptions& module)
{
    Module loaded(module.plugin);
    LoadedModule& plugin = loaded.plugin;
    // Names first: a module without indexed names is walked through its programs, which must
    // not undo the settings.
    std::vector<std::string> programNames;
    for (int i = 0; i < plugin.numPrograms(); ++i)
        programNames.push_back(plugin.programName(i));
    applySettings(loaded, module);
    // Names a bank or program file gave are shown; the current program's needs no switching.
    for (int i = 0; i < plugin.numPrograms(); ++i)
        if (!module.bankFile.empty() || i == plugin.program())
            programNames[static_cast<std::size_t>(i)] = plugin.programName(i);

    const std::intptr_t version = plugin.vendorVersion();
    std::printf("Module:      %s\n", plugin.path().c_str());
    std::printf("Effect:      %s\n", plugin.effectName().c_str());
    std::printf("Product:     %s\n", plugin.productString().c_str());
    std::printf("Vendor:      %s (version %ld, 0x%lx)\n", plugin.vendorString().c_str(), static_cast<long>(version),
                static_cast<unsigned long>(version));
    std::printf("Category:    %s\n", categoryName(plugin.category()).c_str());
    std::printf("Unique ID:   %s\n", fourCharText(plugin.uniqueId()).c_str());
    std::printf("Interface:   %ld\n", static_cast<long>(plugin.interfaceVersion()));
    std::printf("Inputs:      %d\n", plugin.numInputs());
    std::printf("Outputs:     %d\n", plugin.numOutputs());
    std::printf("Flags:       %s (%d)\n", flagNames(plugin.flags()).c_str(), plugin.flags());
    std::printf("Latency:     %d samples\n", plugin.initialDelay());

    struct Row {
        std::string index, name, label, display, normalised;
    };
    std::vector<Row> rows{{"#", "Name", "Label", "Display", "Normalised"}};
    for (int i = 0; i < plugin.numParams(); ++i) {
        char value[32];
        std::snprintf(value, sizeof value, "%.6f", static_cast<double>(plugin.parameter(i)));
        rows.push_back(
            {std::to_string(i), plugin.parameterName(i), plugin.parameterLabel(i), plugin.parameterDisplay(i), value});
    }
    std::size_t width[4] = {};
    for (const Row& r : rows) {
        width[0] = std::max(width[0], r.index.size());
        width[1] = std::max(width[1], r.name.size());
        width[2] = std::max(width[2], r.label.size());
        width[3] = std::max(width[3], r.display.size());
    }
    std::printf("\nParameters (%d)\n", plugin.numParams());
    for (const Row& r : rows)
        std::printf("  %*s  %-*s  %-*s  %-*s  %s\n", static_cast<int>(width[0]), r.index.c_str(),
                    static_cast<int>(width[1]), r.name.c_str(), static_cast<int>(width[2]), r.label.c_str(),
                    static_cast<int>(width[3]), r.display.c_str(), r.normalised.c_str());

    const int current = plugin.program();
    std::printf("\nPrograms (%d, current %d)\n", plugin.numPrograms(), current);
    for (int i = 0; i < plugin.numPrograms(); ++i)
        std::printf("  %*d  %s%s\n", static_cast<int>(std::to_string(plugin.numPrograms()).size()), i,
                    programNames[static_cast<std::size_t>(i)].c_str(), i == current ? "  (current)" : "");
}

void runRender(const ModuleOptions& module, const RenderOptions& options)
{
    if (options.input())
        checkNotSameFile(*options.input(), options.output());
    Module loaded(module.plugin);
    LoadedModule& plugin = loaded.plugin;
    requireOutputs(plugin);
    applySettings(loaded, module);

    const std::unique_ptr<Source> source = openSource(options.input(), plugin);
    const double rate = source->sampleRate();
    SoundWriter writer(options.output(), plugin.numOutputs(), rate);
    FileSink sink(writer);
    const Tail tail{options.tailSeconds, silenceWindowSeconds(loaded, rate)};
    const RenderSummary summary = render(plugin, *source, sink, options.blockSize, tail, sys::stderrIsTerminal());
    writer.commit();
    reportRender(options, plugin.numOutputs(), rate, summary, writer.storesFloats());
}

void runPlot(const ModuleOptions& module, const PlotOptions& options)
{
    Module loaded(module.plugin);
    LoadedModule& plugin = loaded.plugin;
    requireOutputs(plugin);
    if (options.filter && !loaded.builtIn)
        throw ToolError("plot --filter: module '" + plugin.path() + "' is not the Quadecho effect, and only that " +
                        "effect's filter is known to this tool");
    applySettings(loaded, module);
    AtomicFile out(options.output);
    std::string name = plugin.productString();
    if (name.empty())
        name = plugin.effectName();
    const std::string caption = settingsCaption(plugin, module) + "; " + format("%g", options.rate) + " Hz";

    if (options.filter) {
        using namespace quadecho;
        float values[kNumParams];
        for (int i = 0; i < kNumParams; ++i)
            values[i] = valueFromLinear(kParameters[i], plugin.parameter(i));
        const auto rate = static_cast<float>(options.rate);
        const BlockCoefficients c = computeCoefficients(values, rate, lineLengthFor(rate));
        const double set = values[kFilterCutoff] + sweepHz(values[kFilterSweep]);
        const FilterMarks marks{filterFrequency(c.f, rate), set,
                                c.f < kMostFrequencyCoefficient ? "" : capNote(set, rate)};
        out.writeAll(filterResponseSvg(c, rate, marks, name + ": filter response", caption));
        out.commit();
        std::printf("Wrote %s: the filter's response, running at %.0f Hz\n", options.output.c_str(), marks.runningHz);
        return;
    }

    BufferSource impulse(Planar{{kImpulseLevel}}, options.rate);
    BufferSink response;
    render(plugin, impulse, response, kPlotBlockSize, Tail{options.seconds - 1.0 / options.rate}, false);
    for (auto& channel : response.audio)
        for (float& s : channel)
            s /= kImpulseLevel;
    const Scale scale = options.linear ? Scale::Linear : Scale::Decibels;
    out.writeAll(impulseResponseSvg(response.audio, options.rate, name + ": impulse response",
                                    caption + ", impulse at -60 dBFS scaled to " + (options.linear ? "1" : "0 dB"),
                                    scale));
    out.commit();
    std::printf("Wrote %s: %.1f s of impulse response\n", options.output.c_str(), options.seconds);
}

void runSave(const ModuleOptions& module, const std::string& output)
{
    const bool bank = endsWithNoCase(output, ".fxb");
    if (!bank && !endsWithNoCase(output, ".fxp"))
        throw ToolError("'" + output + "': the name must end in .fxp (the current program) or .fxb (every program)");
    Module loaded(module.plugin);
    LoadedModule& plugin = loaded.plugin;
    applySettings(loaded, module);

    const auto current = [&] {
        PresetProgram p{plugin.programName(plugin.program()), {}};
        for (int i = 0; i < plugin.numParams(); ++i)
            p.values.push_back(plugin.parameter(i));
        return p;
    };
    const PresetTarget target = presetTarget(plugin);
    std::string bytes;
    try {
        if (!bank) {
            bytes = encodeProgramFile(current(), target);
        } else {
            const int selected = plugin.program();
            std::vector<PresetProgram> programs;
            for (int i = 0; i < plugin.numPrograms(); ++i) {
                plugin.setProgram(i);
                programs.push_back(current());
            }
            bytes = encodeBankFile(programs, selected, target);
        }
    } catch (const ToolError& e) { // the module refused
        throw ToolError("cannot save '" + output + "': " + e.what());
    } catch (const PresetError& e) { // a value the format cannot hold
        throw ToolError("cannot save '" + output + "': " + e.what());
    }
    writePresetFile(output, bytes);
    if (!bank)
        std::printf("Wrote %s: program \"%s\"\n", output.c_str(), plugin.programName(plugin.program()).c_str());
    else
        std::printf("Wrote %s: %d programs\n", output.c_str(), plugin.numPrograms());
}

} // namespace qtool
