#include "ClapHost.h"

#include "core/Identity.h"

#include <algorithm>
#include <cstring>

namespace quadecho::claphost {
namespace {

const void* QUADECHO_CLAP_CALL noExtension(const clap_host_t*, const char*) noexcept { return nullptr; }
void QUADECHO_CLAP_CALL ignoreRequest(const clap_host_t*) noexcept {}

const clap_host_t kHost = {CLAP_VERSION,  nullptr,       "quadecho",    kVendorName,  "",
                           kVersionText, noExtension, ignoreRequest, ignoreRequest, ignoreRequest};

bool QUADECHO_CLAP_CALL refusePush(const clap_output_events_t*, const clap_event_header_t*) noexcept
{
    return false;
}
const clap_output_events_t kNoOutput = {nullptr, refusePush};

} // namespace

const clap_host_t* hostRecord() noexcept { return &kHost; }
const clap_output_events_t* noOutputEvents() noexcept { return &kNoOutput; }

EventList::EventList() noexcept
{
    record.ctx = this;
    record.size = [](const clap_input_events_t* list) noexcept {
        return static_cast<std::uint32_t>(static_cast<const EventList*>(list->ctx)->events.size());
    };
    record.get = [](const clap_input_events_t* list, std::uint32_t index) noexcept -> const clap_event_header_t* {
        const auto& events = static_cast<const EventList*>(list->ctx)->events;
        return index < events.size() ? &events[index].header : nullptr;
    };
}

void EventList::add(const Event& event)
{
    // After every event at its frame or before it, so that one frame's events keep their order.
    const auto at = std::upper_bound(events.begin(), events.end(), event.header.time,
                                     [](std::uint32_t time, const Event& e) { return time < e.header.time; });
    events.insert(at, event);
}

void EventList::value(std::uint32_t frame, clap_id id, double value)
{
    Event e{};
    e.value = {{sizeof(clap_event_param_value_t), frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0},
               id, nullptr, -1, -1, -1, -1, value};
    add(e);
}

void EventList::modulation(std::uint32_t frame, clap_id id, double amount)
{
    Event e{};
    e.modulation = {{sizeof(clap_event_param_mod_t), frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_MOD, 0},
                    id, nullptr, -1, -1, -1, -1, amount};
    add(e);
}

void EventList::blockOf(const EventList& all, std::uint32_t from, std::uint32_t to)
{
    events.clear();
    for (const Event& e : all.events)
        if (e.header.time >= from && e.header.time < to) {
            events.push_back(e);
            events.back().header.time -= from;
        }
}

MemoryWriter::MemoryWriter(std::size_t chunk) noexcept : chunk(chunk), stream{this, nullptr}
{
    stream.write = [](const clap_ostream_t* s, const void* buffer, std::uint64_t size) noexcept -> std::int64_t {
        auto& w = *static_cast<MemoryWriter*>(s->ctx);
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, w.chunk));
        try {
            w.bytes.insert(w.bytes.end(), static_cast<const std::uint8_t*>(buffer),
                           static_cast<const std::uint8_t*>(buffer) + n);
        } catch (...) {
            return -1;
        }
        return static_cast<std::int64_t>(n);
    };
}

MemoryReader::MemoryReader(std::vector<std::uint8_t> bytes, std::size_t chunk) noexcept
    : bytes(std::move(bytes)), chunk(chunk), stream{this, nullptr}
{
    stream.read = [](const clap_istream_t* s, void* buffer, std::uint64_t size) noexcept -> std::int64_t {
        auto& r = *static_cast<MemoryReader*>(s->ctx);
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>({size, r.chunk, std::uint64_t(r.bytes.size() - r.position)}));
        if (n > 0) // an empty vector's data may be null
            std::memcpy(buffer, r.bytes.data() + r.position, n);
        r.position += n;
        return static_cast<std::int64_t>(n);
    };
}

PluginInstance::PluginInstance(const clap_plugin_entry_t& entry, const std::string& modulePath, std::uint32_t index)
    : entry(entry)
{
    if (!clap_version_is_compatible(entry.clap_version) || !entry.init || !entry.get_factory || !entry.deinit) {
        failure = "its entry is not of a CLAP version this host knows";
        return;
    }
    if (!(initialised = entry.init(modulePath.c_str()))) {
        failure = "its entry's init failed";
        return;
    }
    factory = static_cast<const clap_plugin_factory_t*>(entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    count = factory && factory->get_plugin_count ? factory->get_plugin_count(factory) : 0;
    const clap_plugin_descriptor_t* d = descriptorAt(index);
    if (!d || !d->id || !clap_version_is_compatible(d->clap_version)) {
        failure = factory ? "it has no plug-in " + std::to_string(index) + " of a CLAP version this host knows"
                          : "it has no plug-in factory";
        return;
    }
    const clap_plugin_t* made = factory->create_plugin ? factory->create_plugin(factory, hostRecord(), d->id) : nullptr;
    if (!made || !made->desc || !made->init || !made->destroy || !made->activate || !made->deactivate ||
        !made->start_processing || !made->stop_processing || !made->reset || !made->process || !made->get_extension) {
        if (made && made->destroy) // what was made goes, as the module would otherwise keep it
            made->destroy(made);
        failure = std::string("its factory made no whole plug-in '") + d->id + "'";
        return;
    }
    if (!made->init(made)) {
        made->destroy(made);
        failure = std::string("the plug-in '") + d->id + "' refused to start (init)";
        return;
    }
    plugin = made;
}

PluginInstance::~PluginInstance()
{
    if (plugin) {
        stop();
        plugin->destroy(plugin);
    }
    if (initialised)
        entry.deinit();
}

const clap_plugin_descriptor_t* PluginInstance::descriptorAt(std::uint32_t index) const noexcept
{
    return factory && factory->get_plugin_descriptor && index < count ? factory->get_plugin_descriptor(factory, index)
                                                                      : nullptr;
}

void PluginInstance::stop() noexcept
{
    if (!active)
        return;
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    active = false;
}

bool PluginInstance::activate(double rate, std::uint32_t frames)
{
    stop();
    maxFrames = std::max<std::uint32_t>(frames, 1);
    if (!plugin->activate(plugin, rate, 1, maxFrames))
        return false;
    active = true;
    if (!plugin->start_processing(plugin)) {
        plugin->deactivate(plugin);
        active = false;
    }
    return active;
}

std::int32_t PluginInstance::process(const float* const* in, float* const* out, std::uint32_t frames,
                                     const EventList& events)
{
    if (!active || frames == 0 || frames > maxFrames)
        return CLAP_PROCESS_ERROR;
    float* inputs[2] = {const_cast<float*>(in[0]), const_cast<float*>(in[1])};
    float* outputs[2] = {out[0], out[1]};
    const clap_audio_buffer_t input = {inputs, nullptr, 2, 0, 0};
    clap_audio_buffer_t output = {outputs, nullptr, 2, 0, 0};
    const clap_process_t call = {steadyTime, frames,           nullptr,       &input,         &output,
                                 1,          1,                events.list(), noOutputEvents()};
    steadyTime += frames;
    return plugin->process(plugin, &call);
}

} // namespace quadecho::claphost
