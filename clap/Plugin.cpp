// The effect as a CLAP plug-in: the entry, its factory of one plug-in and the plug-in's extensions,
// over the core's owning instance. Values arrive as events at a frame inside the block: the block
// is run in pieces split exactly where an event applies, so automation is heard at its frame.
#include "clap/Abi.h"
#include "core/Identity.h"
#include "core/Instance.h"
#include "core/State.h"
#include "core/ValueText.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

namespace quadecho::clap {
namespace {

constexpr const char* kFeatures[] = {"audio-effect", "delay", "stereo", nullptr};
constexpr clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION, kClapId, kEffectName, kVendorName, "", "", "", kVersionText,
    "A stereo delay of four taps, each with its own time, level, pan and feedback, through a soft clipper and "
    "a filter that morphs from through to low-, band- and high-pass",
    kFeatures};

constexpr HostValues kPolicy = HostValues::HeldToRange;

struct Plugin {
    clap_plugin_t record{};
    Instance instance{kPolicy};
    bool active = false;
    // The audio thread's values (the main thread's while inactive) and the modulation on top.
    float values[kNumParams];
    double amounts[kNumParams] = {};
    // What get_value answers, on any thread.
    std::atomic<float> shown[kNumParams];
    // A state loaded while active, written on the main thread between two raises of the count (odd
    // while it is written); the audio thread takes it whole at the start of its next block. No
    // fences: the values' own release and acquire order them (the thread sanitizer knows no fence).
    std::atomic<float> pending[kNumParams];
    std::atomic<std::uint32_t> published{0};
    std::uint32_t taken = 0;

    Plugin() noexcept
    {
        defaultValues(values);
        for (int i = 0; i < kNumParams; ++i) {
            shown[i].store(values[i], std::memory_order_relaxed);
            pending[i].store(values[i], std::memory_order_relaxed);
        }
    }
};
static_assert(std::atomic<float>::is_always_lock_free && std::atomic<std::uint32_t>::is_always_lock_free);

Plugin& self(const clap_plugin_t* plugin) noexcept { return *static_cast<Plugin*>(plugin->plugin_data); }

bool isParameter(clap_id id) noexcept { return id < clap_id(kNumParams); }

// A value or modulation event this plug-in applies. Anything else is ignored: other spaces and
// types, records shorter than their type's, events for one note, key, channel or port, unknown ids,
// cookies it never issued (it issues none), numbers that are not finite.
struct Change {
    int index;
    bool modulation;
    double number;
};

template <class Event, double Event::*Number>
std::optional<Change> changeOf(const clap_event_header_t& h, bool modulation) noexcept
{
    if (h.size < sizeof(Event))
        return std::nullopt;
    Event e;
    std::memcpy(&e, &h, sizeof e); // the host's list promises no alignment beyond the header's
    if (!isParameter(e.param_id) || e.cookie || e.note_id != -1 || e.port_index != -1 || e.channel != -1 ||
        e.key != -1 || !std::isfinite(e.*Number))
        return std::nullopt;
    return Change{int(e.param_id), modulation, e.*Number};
}

std::optional<Change> changeOf(const clap_event_header_t* h) noexcept
{
    if (!h || h->space_id != CLAP_CORE_EVENT_SPACE_ID)
        return std::nullopt;
    if (h->type == CLAP_EVENT_PARAM_VALUE)
        return changeOf<clap_event_param_value_t, &clap_event_param_value_t::value>(*h, false);
    if (h->type == CLAP_EVENT_PARAM_MOD)
        return changeOf<clap_event_param_mod_t, &clap_event_param_mod_t::amount>(*h, true);
    return std::nullopt;
}

void apply(Plugin& p, const Change& c) noexcept
{
    if (c.modulation) {
        p.amounts[c.index] = c.number;
        return;
    }
    p.values[c.index] = hostValue(kPolicy, kParameters[c.index], c.number);
    p.shown[c.index].store(p.values[c.index], std::memory_order_relaxed);
}

std::uint32_t eventCount(const clap_input_events_t* in) noexcept
{
    return in && in->size && in->get ? in->size(in) : 0;
}

// A state published since the last block, unless the main thread is writing one now.
void takePendingState(Plugin& p) noexcept
{
    const std::uint32_t count = p.published.load(std::memory_order_acquire);
    if (count == p.taken || count % 2 != 0)
        return;
    float state[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        state[i] = p.pending[i].load(std::memory_order_acquire); // a value of a newer state shows its odd count
    if (p.published.load(std::memory_order_relaxed) != count)
        return; // written again meanwhile: the next block takes it
    std::copy(std::begin(state), std::end(state), p.values);
    p.taken = count;
}

// Frames [from, to) with the values as they stand, each modulation added and the sum held.
void runPiece(Plugin& p, const float* const* in, float* const* out, std::uint32_t from, std::uint32_t to) noexcept
{
    if (to <= from)
        return;
    float heard[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        heard[i] = p.amounts[i] == 0.0 ? p.values[i]
                                       : hostValue(kPolicy, kParameters[i], double(p.values[i]) + p.amounts[i]);
    p.instance.process(heard, {{in[0] + from, in[1] + from, out[0] + from, out[1] + from, 1, 1}, to - from, false});
}

bool isStereo(const clap_audio_buffer_t* buffers, std::uint32_t count) noexcept
{
    return count == 1 && buffers && buffers->data32 && buffers->channel_count == 2 && buffers->data32[0] &&
           buffers->data32[1];
}

std::int32_t QUADECHO_CLAP_CALL process(const clap_plugin_t* plugin, const clap_process_t* process) noexcept
{
    Plugin& p = self(plugin);
    if (!p.active || !process || !isStereo(process->audio_inputs, process->audio_inputs_count) ||
        !isStereo(process->audio_outputs, process->audio_outputs_count))
        return CLAP_PROCESS_ERROR;
    takePendingState(p);
    const float* const* in = process->audio_inputs->data32;
    float* const* out = process->audio_outputs->data32;
    const std::uint32_t frames = process->frames_count;
    const clap_input_events_t* events = process->in_events;
    std::uint32_t done = 0;
    for (std::uint32_t i = 0, count = eventCount(events); i < count; ++i) {
        const clap_event_header_t* h = events->get(events, i);
        const std::optional<Change> change = changeOf(h);
        if (!change)
            continue;
        // Frames at or beyond the block count as its last; one before an earlier event's, as that one's.
        const std::uint32_t at = frames == 0 ? 0 : std::max(done, std::min(h->time, frames - 1));
        runPiece(p, in, out, done, at);
        done = at;
        apply(p, *change);
    }
    runPiece(p, in, out, done, frames);
    return CLAP_PROCESS_CONTINUE; // the echoes ring on after the input stops
}

bool QUADECHO_CLAP_CALL init(const clap_plugin_t*) noexcept { return true; }

void QUADECHO_CLAP_CALL destroy(const clap_plugin_t* plugin) noexcept { delete &self(plugin); }

bool QUADECHO_CLAP_CALL activate(const clap_plugin_t* plugin, double rate, std::uint32_t, std::uint32_t) noexcept
{
    Plugin& p = self(plugin);
    if (p.active || !p.instance.prepare(rate))
        return false;
    std::fill(std::begin(p.amounts), std::end(p.amounts), 0.0);
    p.active = true;
    return true;
}

void QUADECHO_CLAP_CALL deactivate(const clap_plugin_t* plugin) noexcept
{
    Plugin& p = self(plugin);
    takePendingState(p); // a state loaded while active is kept
    p.active = false;
}

bool QUADECHO_CLAP_CALL startProcessing(const clap_plugin_t*) noexcept { return true; }
void QUADECHO_CLAP_CALL stopProcessing(const clap_plugin_t*) noexcept {}

void QUADECHO_CLAP_CALL reset(const clap_plugin_t* plugin) noexcept
{
    Plugin& p = self(plugin);
    p.instance.reset();
    std::fill(std::begin(p.amounts), std::end(p.amounts), 0.0);
}

void QUADECHO_CLAP_CALL onMainThread(const clap_plugin_t*) noexcept {}

// Audio ports: one main stereo input and one main stereo output, usable in place.
std::uint32_t QUADECHO_CLAP_CALL audioPortCount(const clap_plugin_t*, bool) noexcept { return 1; }

bool QUADECHO_CLAP_CALL audioPortInfo(const clap_plugin_t*, std::uint32_t index, bool isInput,
                                      clap_audio_port_info_t* info) noexcept
{
    if (index != 0 || !info)
        return false;
    *info = {};
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = "stereo";
    info->in_place_pair = 0;
    return true;
}

constexpr clap_plugin_audio_ports_t kAudioPorts = {audioPortCount, audioPortInfo};

// Parameters: id = the table's index, plain values in the table's units.
std::uint32_t QUADECHO_CLAP_CALL paramCount(const clap_plugin_t*) noexcept { return kNumParams; }

bool QUADECHO_CLAP_CALL paramInfo(const clap_plugin_t*, std::uint32_t index, clap_param_info_t* info) noexcept
{
    if (!isParameter(index) || !info)
        return false;
    const ParameterFacts& row = kParameters[index];
    *info = {};
    info->id = index;
    // The filter type morphs between its whole values: continuous, never stepped.
    info->flags = CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_MODULATABLE;
    std::strncpy(info->name, row.name, CLAP_NAME_SIZE - 1);
    info->min_value = row.minValue;
    info->max_value = row.maxValue;
    info->default_value = row.defaultValue;
    return true;
}

bool QUADECHO_CLAP_CALL paramValue(const clap_plugin_t* plugin, clap_id id, double* value) noexcept
{
    if (!isParameter(id) || !value)
        return false;
    *value = self(plugin).shown[id].load(std::memory_order_relaxed);
    return true;
}

bool QUADECHO_CLAP_CALL paramValueToText(const clap_plugin_t*, clap_id id, double value, char* text,
                                    std::uint32_t capacity) noexcept
{
    return isParameter(id) && valueToText(int(id), value, text, capacity, true);
}

bool QUADECHO_CLAP_CALL paramTextToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) noexcept
{
    if (!isParameter(id) || !text || !value)
        return false;
    const std::optional<double> read = textToValue(int(id), text);
    if (read)
        *value = *read;
    return read.has_value();
}

void QUADECHO_CLAP_CALL flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                              const clap_output_events_t*) noexcept
{
    Plugin& p = self(plugin);
    for (std::uint32_t i = 0, count = eventCount(in); i < count; ++i)
        if (const std::optional<Change> change = changeOf(in->get(in, i)))
            apply(p, *change);
}

constexpr clap_plugin_params_t kParams = {paramCount, paramInfo, paramValue, paramValueToText, paramTextToValue, flush};

// State: the core's state bytes, through streams that may take or give fewer bytes than asked.
bool QUADECHO_CLAP_CALL save(const clap_plugin_t* plugin, const clap_ostream_t* stream) noexcept
{
    if (!stream || !stream->write)
        return false;
    Plugin& p = self(plugin);
    float values[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        values[i] = p.shown[i].load(std::memory_order_relaxed);
    std::uint8_t bytes[kStateBytes];
    writeState(values, bytes);
    for (std::size_t done = 0; done < kStateBytes;) {
        const std::int64_t wrote = stream->write(stream, bytes + done, kStateBytes - done);
        if (wrote <= 0 || std::uint64_t(wrote) > kStateBytes - done)
            return false;
        done += std::size_t(wrote);
    }
    return true;
}

bool QUADECHO_CLAP_CALL load(const clap_plugin_t* plugin, const clap_istream_t* stream) noexcept
{
    if (!stream || !stream->read)
        return false;
    // One byte more than a state holds shows a stream that is too long.
    std::uint8_t bytes[kStateBytes + 1];
    std::size_t size = 0;
    while (size < sizeof bytes) {
        const std::int64_t read = stream->read(stream, bytes + size, sizeof bytes - size);
        if (read < 0 || std::uint64_t(read) > sizeof bytes - size)
            return false;
        if (read == 0)
            break;
        size += std::size_t(read);
    }
    float values[kNumParams];
    if (!readState(bytes, size, values))
        return false;
    Plugin& p = self(plugin);
    for (int i = 0; i < kNumParams; ++i)
        p.shown[i].store(values[i], std::memory_order_relaxed);
    if (!p.active) {
        std::copy(std::begin(values), std::end(values), p.values);
        return true;
    }
    const std::uint32_t count = p.published.load(std::memory_order_relaxed);
    p.published.store(count + 1, std::memory_order_relaxed); // odd: being written
    for (int i = 0; i < kNumParams; ++i)
        p.pending[i].store(values[i], std::memory_order_release); // each carries the odd count with it
    p.published.store(count + 2, std::memory_order_release);
    return true;
}

constexpr clap_plugin_state_t kState = {save, load};

std::uint32_t QUADECHO_CLAP_CALL latency(const clap_plugin_t*) noexcept { return 0; }
constexpr clap_plugin_latency_t kLatency = {latency};

const void* QUADECHO_CLAP_CALL extension(const clap_plugin_t*, const char* id) noexcept
{
    if (!id)
        return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0)
        return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0)
        return &kState;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
        return &kLatency;
    return nullptr;
}

// The factory: one plug-in, made without calling the host.
std::uint32_t QUADECHO_CLAP_CALL pluginCount(const clap_plugin_factory_t*) noexcept { return 1; }

const clap_plugin_descriptor_t* QUADECHO_CLAP_CALL descriptorAt(const clap_plugin_factory_t*,
                                                                 std::uint32_t index) noexcept
{
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* QUADECHO_CLAP_CALL createPlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                                     const char* id) noexcept
{
    if (!host || !clap_version_is_compatible(host->clap_version) || !id || std::strcmp(id, kClapId) != 0)
        return nullptr;
    auto* p = new (std::nothrow) Plugin;
    if (!p)
        return nullptr;
    p->record = {&kDescriptor, p,     init,    destroy,      activate,  deactivate,
                 startProcessing, stopProcessing, reset, process, extension, onMainThread};
    return &p->record;
}

constexpr clap_plugin_factory_t kFactory = {pluginCount, descriptorAt, createPlugin};

// The entry: init and deinit may come again (hosts that wrap others call them more than once).
std::atomic<int> gInits{0};

bool QUADECHO_CLAP_CALL entryInit(const char*) noexcept
{
    gInits.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void QUADECHO_CLAP_CALL entryDeinit() noexcept
{
    int inits = gInits.load(std::memory_order_relaxed);
    while (inits > 0 && !gInits.compare_exchange_weak(inits, inits - 1, std::memory_order_relaxed)) {
    }
}

const void* QUADECHO_CLAP_CALL factory(const char* id) noexcept
{
    return gInits.load(std::memory_order_relaxed) > 0 && id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0
               ? &kFactory
               : nullptr;
}

} // namespace

} // namespace quadecho::clap

extern "C" QUADECHO_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION, quadecho::clap::entryInit, quadecho::clap::entryDeinit, quadecho::clap::factory};
