#include "ClapModule.h"

#include "ModuleText.h"
#include "System.h"

#include <cmath>
#include <cstdio>

namespace qtool {

namespace claphost = quadecho::claphost;

namespace {

// Bounds past which a plug-in's counts are taken as garbage rather than believed.
constexpr std::uint32_t kMaxPorts = 64;
constexpr std::uint32_t kMaxCount = 100000;
constexpr std::size_t kMaxFeatures = 64;

void* openModule(const std::string& path)
{
    std::string why;
    void* handle = sys::isFile(path, why) ? sys::loadModule(path, why) : nullptr;
    if (!handle)
        throw ToolError("cannot load module '" + path + "': " + why);
    return handle;
}

ClapModule::Description describe(const clap_plugin_descriptor_t& d)
{
    ClapModule::Description out{cleaned(d.id), cleaned(d.name), cleaned(d.vendor), cleaned(d.version), {}};
    for (std::size_t i = 0; d.features && d.features[i] && i < kMaxFeatures; ++i)
        out.features.push_back(cleaned(d.features[i]));
    return out;
}

} // namespace

bool exportsClapEntry(const std::string& path) { return sys::ownSymbol(openModule(path), "clap_entry") != nullptr; }

ClapModule::ClapModule(const std::string& path) : modulePath(path)
{
    const auto* entry = static_cast<const clap_plugin_entry_t*>(sys::ownSymbol(openModule(path), "clap_entry"));
    if (!entry)
        throw ToolError("module '" + path + "' has no CLAP entry (clap_entry)");
    instance = std::make_unique<claphost::PluginInstance>(*entry, path);
    if (!instance->ok())
        throw ToolError("module '" + path + "': " + instance->why());
    made = describe(instance->descriptor());
    for (std::uint32_t i = 0; i < std::min(instance->pluginCount(), kMaxCount); ++i)
        if (const clap_plugin_descriptor_t* d = instance->descriptorAt(i))
            described.push_back(describe(*d));

    const clap_plugin_t* plugin = instance->record();
    paramsExtension = instance->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (paramsExtension && paramsExtension->count && paramsExtension->get_info) {
        const std::uint32_t count = paramsExtension->count(plugin);
        if (count > kMaxCount)
            throw ToolError("module '" + path + "': its plug-in claims " + std::to_string(count) +
                            " parameters, which cannot be right");
        for (std::uint32_t i = 0; i < count; ++i) {
            clap_param_info_t info{};
            if (!paramsExtension->get_info(plugin, i, &info))
                throw ToolError("module '" + path + "': its plug-in gives no facts of parameter " + std::to_string(i));
            params.push_back(
                {info.id, cleaned(info.name, sizeof info.name), info.min_value, info.max_value, info.default_value});
        }
    }
    if (const auto* ports = instance->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
        ports && ports->count && ports->get)
        for (const bool input : {true, false})
            for (std::uint32_t i = 0; i < std::min(ports->count(plugin, input), kMaxPorts); ++i) {
                clap_audio_port_info_t info{};
                if (ports->get(plugin, i, input, &info))
                    (input ? inputPorts : outputPorts)
                        .push_back({cleaned(info.name, sizeof info.name), info.channel_count,
                                    (info.flags & CLAP_AUDIO_PORT_IS_MAIN) != 0});
            }
}

std::uint32_t ClapModule::latency() const
{
    const auto* latency = instance->extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    return latency && latency->get ? latency->get(instance->record()) : 0;
}

std::optional<std::uint32_t> ClapModule::tailFrames() const
{
    const auto* tail = instance->extension<clap_plugin_tail_t>(CLAP_EXT_TAIL);
    return tail && tail->get ? std::optional(tail->get(instance->record())) : std::nullopt;
}

double ClapModule::value(int index) const
{
    const Parameter& p = params.at(static_cast<std::size_t>(index));
    double v = 0.0;
    if (!paramsExtension->get_value || !paramsExtension->get_value(instance->record(), p.id, &v))
        throw ToolError("module '" + modulePath + "': its plug-in gives no value of '" + p.name + "'");
    return v;
}

std::string ClapModule::valueText(int index, double value) const
{
    const Parameter& p = params.at(static_cast<std::size_t>(index));
    char text[256] = {};
    if (paramsExtension->value_to_text &&
        paramsExtension->value_to_text(instance->record(), p.id, value, text, sizeof text))
        return cleaned(text, sizeof text);
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void ClapModule::setValue(int index, double value)
{
    const Parameter& p = params.at(static_cast<std::size_t>(index));
    if (!paramsExtension->flush)
        throw ToolError("module '" + modulePath + "': its plug-in takes no values outside processing (flush)");
    claphost::EventList events;
    events.value(0, p.id, value);
    paramsExtension->flush(instance->record(), events.list(), claphost::noOutputEvents());
}

void ClapModule::start(double rate, int blockSize)
{
    const auto stereo = [](const std::vector<Port>& ports) { return ports.size() == 1 && ports[0].channels == 2; };
    if (!stereo(inputPorts) || !stereo(outputPorts))
        throw ToolError("module '" + modulePath + "': the plug-in '" + description().id +
                        "' has not one stereo input and one stereo output port, the only layout this tool renders");
    if (!instance->activate(rate, static_cast<std::uint32_t>(blockSize)))
        throw ToolError("module '" + modulePath + "': the plug-in '" + description().id + "' refused to start at " +
                        std::to_string(std::lround(rate)) + " Hz");
}

void ClapModule::process(const float* const* in, float* const* out, int frames, const claphost::EventList& events)
{
    if (instance->process(in, out, static_cast<std::uint32_t>(frames), events) == CLAP_PROCESS_ERROR)
        throw ToolError("module '" + modulePath + "': the plug-in '" + description().id +
                        "' answered an error from process");
}

} // namespace qtool
