// What a host of CLAP plug-ins hands them, in one place for the tool's loader and the test
// library's in-process host: the host record, event lists, the process record over stereo buffers,
// state streams over memory, and one plug-in instance driven through its life cycle in order.
#pragma once

#include "clap/Abi.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quadecho::claphost {

// The host record: it offers no extension and ignores requests; it outlives every plug-in.
const clap_host_t* hostRecord() noexcept;

// An input event list of parameter values and modulation amounts, as a host makes them: each
// event at its frame, events at one frame in the order they were added.
class EventList {
public:
    EventList() noexcept;
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;

    void value(std::uint32_t frame, clap_id id, double value);
    void modulation(std::uint32_t frame, clap_id id, double amount);
    void clear() noexcept { events.clear(); }
    std::size_t size() const noexcept { return events.size(); }
    // The events at frames [from, to), shifted to start at 0: one block's share of a longer list.
    void blockOf(const EventList& all, std::uint32_t from, std::uint32_t to);

    const clap_input_events_t* list() const noexcept { return &record; }

private:
    union Event {
        clap_event_header_t header;
        clap_event_param_value_t value;
        clap_event_param_mod_t modulation;
    };
    void add(const Event& event);

    std::vector<Event> events;
    clap_input_events_t record;
};

// An output event list that takes nothing.
const clap_output_events_t* noOutputEvents() noexcept;

// A stream writing into memory; at most `chunk` bytes a call, as a host may take fewer.
struct MemoryWriter {
    explicit MemoryWriter(std::size_t chunk = SIZE_MAX) noexcept;
    MemoryWriter(const MemoryWriter&) = delete;
    MemoryWriter& operator=(const MemoryWriter&) = delete;
    std::vector<std::uint8_t> bytes;
    std::size_t chunk;
    clap_ostream_t stream;
};

// A stream reading from memory; at most `chunk` bytes a call, 0 at the end.
struct MemoryReader {
    MemoryReader(std::vector<std::uint8_t> bytes, std::size_t chunk = SIZE_MAX) noexcept;
    MemoryReader(const MemoryReader&) = delete;
    MemoryReader& operator=(const MemoryReader&) = delete;
    std::vector<std::uint8_t> bytes;
    std::size_t chunk, position = 0;
    clap_istream_t stream;
};

// One plug-in of a module's factory, created, initialised and, once activated, processing; it
// goes through stop_processing, deactivate and destroy in that order, and deinit goes last.
class PluginInstance {
public:
    // Nothing made (ok() false, why() saying why) when the entry or the descriptor is of no
    // compatible version, or the factory, the plug-in or its init fails.
    PluginInstance(const clap_plugin_entry_t& entry, const std::string& modulePath, std::uint32_t index = 0);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    bool ok() const noexcept { return plugin != nullptr; }
    const std::string& why() const noexcept { return failure; }
    const clap_plugin_t* record() const noexcept { return plugin; }
    const clap_plugin_descriptor_t& descriptor() const noexcept { return *plugin->desc; }
    std::uint32_t pluginCount() const noexcept { return count; }
    const clap_plugin_descriptor_t* descriptorAt(std::uint32_t index) const noexcept;
    template <class Extension> const Extension* extension(const char* id) const noexcept
    {
        return static_cast<const Extension*>(plugin->get_extension(plugin, id));
    }

    // Activates (deactivating first if active) and starts processing; false if either is refused.
    bool activate(double rate, std::uint32_t maxFrames);
    // One call of process over two separate or shared channels per side.
    std::int32_t process(const float* const* in, float* const* out, std::uint32_t frames, const EventList& events);

private:
    void stop() noexcept;

    const clap_plugin_entry_t& entry;
    bool initialised = false;
    const clap_plugin_factory_t* factory = nullptr;
    const clap_plugin_t* plugin = nullptr;
    std::uint32_t count = 0, maxFrames = 0;
    bool active = false;
    std::int64_t steadyTime = 0;
    std::string failure;
};

} // namespace quadecho::claphost
