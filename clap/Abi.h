// The CLAP 1.x binary interface, as much of it as a stereo effect and a host of one need: plain C
// records in the layout every CLAP module and host share (the compiler's natural alignment, never
// packed), checked against the sizes the interface fixes on each processor this project builds for.
#pragma once

#include "platform/Arch.h"

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && QUADECHO_ARCH_I686
#define QUADECHO_CLAP_CALL __cdecl
#else
#define QUADECHO_CLAP_CALL
#endif
// The module's one exported symbol, clap_entry.
#if defined(_WIN32)
#define QUADECHO_CLAP_EXPORT __declspec(dllexport)
#else
#define QUADECHO_CLAP_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

using clap_id = std::uint32_t;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
constexpr std::size_t CLAP_NAME_SIZE = 256;
constexpr std::size_t CLAP_PATH_SIZE = 1024;

struct clap_version_t {
    std::uint32_t major, minor, revision;
};
// What this project states; any 1.x is compatible.
constexpr clap_version_t CLAP_VERSION = {1, 2, 10};
constexpr bool clap_version_is_compatible(clap_version_t v) noexcept { return v.major >= 1; }

struct clap_plugin_entry_t {
    clap_version_t clap_version;
    bool(QUADECHO_CLAP_CALL* init)(const char* plugin_path);
    void(QUADECHO_CLAP_CALL* deinit)();
    const void*(QUADECHO_CLAP_CALL* get_factory)(const char* factory_id);
};

struct clap_plugin_descriptor_t {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; // ends with a null pointer
};

struct clap_host_t {
    clap_version_t clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(QUADECHO_CLAP_CALL* get_extension)(const clap_host_t* host, const char* extension_id);
    void(QUADECHO_CLAP_CALL* request_restart)(const clap_host_t* host);
    void(QUADECHO_CLAP_CALL* request_process)(const clap_host_t* host);
    void(QUADECHO_CLAP_CALL* request_callback)(const clap_host_t* host);
};

// Events: a header, then the record of its type.
constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
enum : std::uint16_t {
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
};

struct clap_event_header_t {
    std::uint32_t size; // the whole event's, header included
    std::uint32_t time; // the frame in the block
    std::uint16_t space_id;
    std::uint16_t type;
    std::uint32_t flags;
};

struct clap_event_param_value_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    std::int32_t note_id;
    std::int16_t port_index, channel, key; // -1: any
    double value;
};

struct clap_event_param_mod_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    std::int32_t note_id;
    std::int16_t port_index, channel, key;
    double amount; // heard on top of the value
};

struct clap_event_param_gesture_t {
    clap_event_header_t header;
    clap_id param_id;
};

struct clap_event_transport_t {
    clap_event_header_t header;
    std::uint32_t flags;
    std::int64_t song_pos_beats, song_pos_seconds;
    double tempo, tempo_inc;
    std::int64_t loop_start_beats, loop_end_beats, loop_start_seconds, loop_end_seconds, bar_start;
    std::int32_t bar_number;
    std::uint16_t tsig_num, tsig_denom;
};

struct clap_input_events_t {
    void* ctx;
    std::uint32_t(QUADECHO_CLAP_CALL* size)(const clap_input_events_t* list);
    const clap_event_header_t*(QUADECHO_CLAP_CALL* get)(const clap_input_events_t* list, std::uint32_t index);
};

struct clap_output_events_t {
    void* ctx;
    bool(QUADECHO_CLAP_CALL* try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

struct clap_audio_buffer_t {
    float** data32;
    double** data64;
    std::uint32_t channel_count;
    std::uint32_t latency;
    std::uint64_t constant_mask;
};

struct clap_process_t {
    std::int64_t steady_time;
    std::uint32_t frames_count;
    const clap_event_transport_t* transport;
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    std::uint32_t audio_inputs_count;
    std::uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;
    const clap_output_events_t* out_events;
};

enum : std::int32_t {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

struct clap_plugin_t {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool(QUADECHO_CLAP_CALL* init)(const clap_plugin_t* plugin);
    void(QUADECHO_CLAP_CALL* destroy)(const clap_plugin_t* plugin);
    bool(QUADECHO_CLAP_CALL* activate)(const clap_plugin_t* plugin, double sample_rate, std::uint32_t min_frames,
                                       std::uint32_t max_frames);
    void(QUADECHO_CLAP_CALL* deactivate)(const clap_plugin_t* plugin);
    bool(QUADECHO_CLAP_CALL* start_processing)(const clap_plugin_t* plugin);
    void(QUADECHO_CLAP_CALL* stop_processing)(const clap_plugin_t* plugin);
    void(QUADECHO_CLAP_CALL* reset)(const clap_plugin_t* plugin);
    std::int32_t(QUADECHO_CLAP_CALL* process)(const clap_plugin_t* plugin, const clap_process_t* process);
    const void*(QUADECHO_CLAP_CALL* get_extension)(const clap_plugin_t* plugin, const char* id);
    void(QUADECHO_CLAP_CALL* on_main_thread)(const clap_plugin_t* plugin);
};

constexpr const char* CLAP_PLUGIN_FACTORY_ID = "clap.plugin-factory";
struct clap_plugin_factory_t {
    std::uint32_t(QUADECHO_CLAP_CALL* get_plugin_count)(const clap_plugin_factory_t* factory);
    const clap_plugin_descriptor_t*(QUADECHO_CLAP_CALL* get_plugin_descriptor)(const clap_plugin_factory_t* factory,
                                                                                std::uint32_t index);
    const clap_plugin_t*(QUADECHO_CLAP_CALL* create_plugin)(const clap_plugin_factory_t* factory,
                                                             const clap_host_t* host, const char* plugin_id);
};

constexpr const char* CLAP_EXT_AUDIO_PORTS = "clap.audio-ports";
constexpr std::uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1;
struct clap_audio_port_info_t {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    std::uint32_t flags;
    std::uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};
struct clap_plugin_audio_ports_t {
    std::uint32_t(QUADECHO_CLAP_CALL* count)(const clap_plugin_t* plugin, bool is_input);
    bool(QUADECHO_CLAP_CALL* get)(const clap_plugin_t* plugin, std::uint32_t index, bool is_input,
                                  clap_audio_port_info_t* info);
};

constexpr const char* CLAP_EXT_PARAMS = "clap.params";
enum : std::uint32_t {
    CLAP_PARAM_IS_STEPPED = 1u << 0,
    CLAP_PARAM_IS_AUTOMATABLE = 1u << 5,
    CLAP_PARAM_IS_MODULATABLE = 1u << 10,
};
struct clap_param_info_t {
    clap_id id;
    std::uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value, max_value, default_value;
};
struct clap_plugin_params_t {
    std::uint32_t(QUADECHO_CLAP_CALL* count)(const clap_plugin_t* plugin);
    bool(QUADECHO_CLAP_CALL* get_info)(const clap_plugin_t* plugin, std::uint32_t index, clap_param_info_t* info);
    bool(QUADECHO_CLAP_CALL* get_value)(const clap_plugin_t* plugin, clap_id id, double* value);
    bool(QUADECHO_CLAP_CALL* value_to_text)(const clap_plugin_t* plugin, clap_id id, double value, char* text,
                                            std::uint32_t capacity);
    bool(QUADECHO_CLAP_CALL* text_to_value)(const clap_plugin_t* plugin, clap_id id, const char* text,
                                            double* value);
    void(QUADECHO_CLAP_CALL* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in,
                                    const clap_output_events_t* out);
};

constexpr const char* CLAP_EXT_STATE = "clap.state";
struct clap_ostream_t {
    void* ctx;
    std::int64_t(QUADECHO_CLAP_CALL* write)(const clap_ostream_t* stream, const void* buffer, std::uint64_t size);
};
struct clap_istream_t {
    void* ctx;
    std::int64_t(QUADECHO_CLAP_CALL* read)(const clap_istream_t* stream, void* buffer, std::uint64_t size);
};
struct clap_plugin_state_t {
    bool(QUADECHO_CLAP_CALL* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
    bool(QUADECHO_CLAP_CALL* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};

constexpr const char* CLAP_EXT_LATENCY = "clap.latency";
struct clap_plugin_latency_t {
    std::uint32_t(QUADECHO_CLAP_CALL* get)(const clap_plugin_t* plugin);
};

constexpr const char* CLAP_EXT_TAIL = "clap.tail";
struct clap_plugin_tail_t {
    std::uint32_t(QUADECHO_CLAP_CALL* get)(const clap_plugin_t* plugin);
};

} // extern "C"

// The sizes the interface fixes, per processor (32-bit Windows aligns doubles otherwise and is not
// a CLAP target here).
namespace quadecho::clap::abi {
struct Sizes {
    std::size_t entry, factory, descriptor, host, plugin, process, audioBuffer, paramEvent, transport, inputEvents,
        outputEvents, audioPortsExt, audioPortInfo, paramsExt, paramInfo, stateExt, stream, latencyExt;
};
#if QUADECHO_ARCH_X86_64 || QUADECHO_ARCH_AARCH64
constexpr Sizes kSizes = {40, 24, 88, 88, 96, 64, 32, 56, 104, 24, 16, 16, 288, 48, 1320, 16, 16, 8};
#elif QUADECHO_ARCH_I686 && !defined(_WIN32)
constexpr Sizes kSizes = {24, 12, 48, 48, 48, 40, 24, 44, 100, 12, 8, 8, 276, 24, 1316, 8, 8, 4};
#elif QUADECHO_ARCH_POWERPC
constexpr Sizes kSizes = {24, 12, 48, 48, 48, 40, 24, 48, 104, 12, 8, 8, 276, 24, 1320, 8, 8, 4};
#endif
#if QUADECHO_ARCH_X86_64 || QUADECHO_ARCH_AARCH64 || QUADECHO_ARCH_POWERPC || (QUADECHO_ARCH_I686 && !defined(_WIN32))
static_assert(sizeof(clap_version_t) == 12 && sizeof(clap_event_header_t) == 16);
static_assert(sizeof(clap_event_param_gesture_t) == 20);
static_assert(sizeof(clap_plugin_entry_t) == kSizes.entry && sizeof(clap_plugin_factory_t) == kSizes.factory);
static_assert(sizeof(clap_plugin_descriptor_t) == kSizes.descriptor && sizeof(clap_host_t) == kSizes.host);
static_assert(sizeof(clap_plugin_t) == kSizes.plugin && sizeof(clap_process_t) == kSizes.process);
static_assert(sizeof(clap_audio_buffer_t) == kSizes.audioBuffer);
static_assert(sizeof(clap_event_param_value_t) == kSizes.paramEvent &&
              sizeof(clap_event_param_mod_t) == kSizes.paramEvent);
static_assert(sizeof(clap_event_transport_t) == kSizes.transport);
static_assert(sizeof(clap_input_events_t) == kSizes.inputEvents &&
              sizeof(clap_output_events_t) == kSizes.outputEvents);
static_assert(sizeof(clap_plugin_audio_ports_t) == kSizes.audioPortsExt &&
              sizeof(clap_audio_port_info_t) == kSizes.audioPortInfo);
static_assert(sizeof(clap_plugin_params_t) == kSizes.paramsExt && sizeof(clap_param_info_t) == kSizes.paramInfo);
static_assert(sizeof(clap_plugin_state_t) == kSizes.stateExt && sizeof(clap_ostream_t) == kSizes.stream &&
              sizeof(clap_istream_t) == kSizes.stream);
static_assert(sizeof(clap_plugin_latency_t) == kSizes.latencyExt && sizeof(clap_plugin_tail_t) == kSizes.latencyExt);
#endif
} // namespace quadecho::clap::abi
