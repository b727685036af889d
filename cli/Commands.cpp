#include "Commands.h"

#include "AudioFiles.h"
#include "DemoSignal.h"
#include "Plot.h"
#include "PresetFiles.h"
#include "Render.h"
#include "Settings.h"
#include "host/System.h"
#include "core/Coefficients.h"
#include "draw/Strip.h"
#include "core/FilterResponse.h"
#include "core/Parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#if QUADECHO_PNG
#include "Png.h"
#endif

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

void requireOutputs(Effect& plugin)
{
    if (plugin.numOutputs() < 1)
        throw ToolError("module '" + plugin.path() + "' has no audio outputs: there is nothing to render");
}

std::string settingsCaption(Effect& plugin, const ModuleOptions& module)
{
    std::string caption = plugin.settingsName();
    for (const std::string& s : module.settings)
        caption += (caption.empty() ? "" : ", ") + s;
    return caption.empty() ? "defaults" : caption;
}

// The input file or the demo signal, with a note when the effect takes only some of its channels.
std::unique_ptr<Source> openSource(const std::optional<std::string>& input, Effect& plugin)
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

using Rows = std::vector<std::vector<std::string>>;

// Columns as wide as their widest cell: the first aligned right, the others left.
void printRows(const Rows& rows)
{
    std::vector<std::size_t> width(rows.front().size());
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    for (const auto& row : rows) {
        std::string line = " ";
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string pad(width[c] - row[c].size(), ' ');
            line += " " + (c == 0 ? pad + row[c] : c + 1 < row.size() ? row[c] + pad : row[c]) + " ";
        }
        line.erase(line.find_last_not_of(' ') + 1);
        std::printf("%s\n", line.c_str());
    }
}

std::string portsText(const std::vector<ClapModule::Port>& ports)
{
    std::string text = std::to_string(ports.size()) + (ports.size() == 1 ? " port" : " ports");
    for (std::size_t i = 0; i < ports.size(); ++i)
        text += std::string(i == 0 ? ": " : "; ") + "\"" + ports[i].name + "\", " + std::to_string(ports[i].channels) +
                (ports[i].channels == 1 ? " channel" : " channels") + (ports[i].main ? ", main" : "");
    return text;
}

void clapInfo(Effect& effect, const ModuleOptions& module)
{
    applySettings(effect, module);
    const ClapModule& plugin = *effect.clap();
    std::printf("Module:      %s\n", plugin.path().c_str());
    std::printf("Format:      CLAP\n");
    std::printf("Plug-ins:    %zu (the first is hosted)\n", plugin.plugins().size());
    for (std::size_t i = 0; i < plugin.plugins().size(); ++i)
        std::printf("  %zu  %s  \"%s\"\n", i, plugin.plugins()[i].id.c_str(), plugin.plugins()[i].name.c_str());
    const ClapModule::Description& d = plugin.description();
    std::string features;
    for (const std::string& f : d.features)
        features += (features.empty() ? "" : " ") + f;
    std::printf("ID:          %s\n", d.id.c_str());
    std::printf("Name:        %s\n", d.name.c_str());
    std::printf("Vendor:      %s\n", d.vendor.c_str());
    std::printf("Version:     %s\n", d.version.c_str());
    std::printf("Features:    %s\n", features.c_str());
    std::printf("Inputs:      %s\n", portsText(plugin.inputs()).c_str());
    std::printf("Outputs:     %s\n", portsText(plugin.outputs()).c_str());
    std::printf("Latency:     %u samples\n", plugin.latency());

    Rows rows{{"ID", "Name", "Min", "Max", "Default", "Value"}};
    for (std::size_t i = 0; i < plugin.parameters().size(); ++i) {
        const ClapModule::Parameter& p = plugin.parameters()[i];
        const int index = static_cast<int>(i);
        rows.push_back({std::to_string(p.id), p.name, format("%g", p.min), format("%g", p.max),
                        format("%g", p.defaultValue), plugin.valueText(index, plugin.value(index))});
    }
    std::printf("\nParameters (%zu)\n", plugin.parameters().size());
    printRows(rows);
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
    const std::unique_ptr<Effect> effect = openEffect(module.plugin);
    if (!effect->vst())
        return clapInfo(*effect, module);
    LoadedModule& plugin = *effect->vst();
    // Names first: a module without indexed names is walked through its programs, which must
    // not undo the settings.
    std::vector<std::string> programNames;
    for (int i = 0; i < plugin.numPrograms(); ++i)
        programNames.push_back(plugin.programName(i));
    applySettings(*effect, module);
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

    Rows rows{{"#", "Name", "Label", "Display", "Normalised"}};
    for (int i = 0; i < plugin.numParams(); ++i)
        rows.push_back({std::to_string(i), plugin.parameterName(i), plugin.parameterLabel(i),
                        plugin.parameterDisplay(i), format("%.6f", plugin.parameter(i))});
    std::printf("\nParameters (%d)\n", plugin.numParams());
    printRows(rows);

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
    const std::unique_ptr<Effect> effect = openEffect(module.plugin);
    requireOutputs(*effect);
    applySettings(*effect, module);

    const std::unique_ptr<Source> source = openSource(options.input(), *effect);
    const double rate = source->sampleRate();
    const std::vector<Automation> automation = parseAutomation(*effect, options.automation, rate);
    SoundWriter writer(options.output(), effect->numOutputs(), rate);
    FileSink sink(writer);
    const Tail tail{options.tailSeconds, silenceWindowSeconds(*effect, rate, automation)};
    const RenderSummary summary =
        render(*effect, *source, sink, options.blockSize, tail, sys::stderrIsTerminal(), automation);
    writer.commit();
    const long long end = summary.inputFrames + summary.tailFrames;
    for (const Automation& a : automation)
        if (a.frame >= end)
            std::fprintf(stderr,
                         "quadecho: note: --automate '%s' falls at or after the end of the render (%.3f s) "
                         "and was ignored\n",
                         a.argument.c_str(), static_cast<double>(end) / rate);
    reportRender(options, effect->numOutputs(), rate, summary, writer.storesFloats());
}

namespace {

void currentValues(Effect& plugin, float (&values)[quadecho::kNumParams])
{
    for (int i = 0; i < quadecho::kNumParams; ++i)
        values[i] = static_cast<float>(plugin.plainOf(i, plugin.value(i)));
}

#if QUADECHO_PNG
// The picture an LV2 host with an inline display shows, at the width asked.
void writeStrip(Effect& plugin, const PlotOptions& options, AtomicFile& out)
{
    using namespace quadecho;
    float values[kNumParams];
    currentValues(plugin, values);
    const draw::Size size = draw::stripSize(static_cast<std::uint32_t>(options.width),
                                            static_cast<std::uint32_t>(options.height.value_or(options.width)));
    draw::Image image;
    if (!image.resize(size.width, size.height))
        throw ToolError("no memory for a picture of " + std::to_string(size.width) + " × " +
                        std::to_string(size.height) + " pixels");
    draw::drawStrip(values, HostValues::AsGiven, static_cast<float>(options.rate), image);
    out.writeAll(encodePng(image));
    out.commit();
    std::printf("Wrote %s: the settings' picture, %d × %d pixels\n", options.output.c_str(), size.width, size.height);
}
#endif

} // namespace

void runPlot(const ModuleOptions& module, const PlotOptions& options)
{
    const std::unique_ptr<Effect> effect = openEffect(module.plugin);
    Effect& plugin = *effect;
    requireOutputs(plugin);
    const char* const ours = options.filter ? "--filter" : options.strip ? "--strip" : nullptr;
    if (ours && !plugin.builtIn())
        throw ToolError(std::string("plot ") + ours + ": module '" + plugin.path() +
                        "' is not the Quadecho effect, and only that effect's settings are known to this tool");
    if (options.strip && !endsWithNoCase(options.output, ".png"))
        throw ToolError("plot --strip writes a PNG image: '" + options.output + "' must end in .png");
    applySettings(plugin, module);
    AtomicFile out(options.output);
#if QUADECHO_PNG
    if (options.strip)
        return writeStrip(plugin, options, out);
#endif
    const std::string name = plugin.title();
    const std::string caption = settingsCaption(plugin, module) + "; " + format("%g", options.rate) + " Hz";

    if (options.filter) {
        using namespace quadecho;
        float values[kNumParams];
        currentValues(plugin, values);
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
    const std::unique_ptr<Effect> effect = openEffect(module.plugin);
    if (!effect->vst())
        throw ToolError("cannot save '" + output + "': module '" + effect->path() +
                        "' is a CLAP module, and program and bank files are for modules of the 2.4 interface");
    LoadedModule& plugin = *effect->vst();
    applySettings(*effect, module);

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
