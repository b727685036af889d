// A CLAP module other than Quadecho, as the tool finds one: one plug-in with one parameter, a gain
// of 0 to 2 applied to stereo, and a tail it declares. FAULT_PROCESS_ERROR: its process fails.
#include "clap/Abi.h"

#include <cstring>

namespace {

double gain = 1.0;

const char* const kFeatures[] = {"audio-effect", nullptr};
const clap_plugin_descriptor_t kDescriptor = {CLAP_VERSION, "org.example.gain", "Gain", "Example", "", "", "", "0.1",
                                              "",           kFeatures};

void setValues(const clap_input_events_t* in)
{
    for (std::uint32_t i = 0; i < in->size(in); ++i)
        if (const auto* e = in->get(in, i); e->type == CLAP_EVENT_PARAM_VALUE)
            gain = reinterpret_cast<const clap_event_param_value_t*>(e)->value;
}

const clap_plugin_params_t kParams = {
    [](auto) { return 1u; },
    [](const clap_plugin_t*, std::uint32_t index, clap_param_info_t* info) {
        *info = {0, CLAP_PARAM_IS_AUTOMATABLE, nullptr, "Gain", "", 0.0, 2.0, 1.0};
        return index == 0;
    },
    [](const clap_plugin_t*, clap_id, double* value) { return *value = gain, true; },
    [](auto...) { return false; },
    [](auto...) { return false; },
    [](const clap_plugin_t*, const clap_input_events_t* in, const clap_output_events_t*) { setValues(in); }};
const clap_plugin_audio_ports_t kPorts = {[](auto...) { return 1u; },
                                          [](const clap_plugin_t*, std::uint32_t, bool, clap_audio_port_info_t* info) {
                                              *info = {0, "Main", CLAP_AUDIO_PORT_IS_MAIN, 2, "stereo", 0};
                                              return true;
                                          }};
const clap_plugin_tail_t kTail = {[](auto) { return 4000u; }};

#if defined(FAULT_PROCESS_ERROR)
constexpr std::int32_t kResult = CLAP_PROCESS_ERROR;
#else
constexpr std::int32_t kResult = CLAP_PROCESS_CONTINUE;
#endif

std::int32_t process(const clap_plugin_t*, const clap_process_t* p)
{
    setValues(p->in_events);
    for (int c = 0; c < 2; ++c)
        for (std::uint32_t f = 0; f < p->frames_count; ++f)
            p->audio_outputs->data32[c][f] = static_cast<float>(p->audio_inputs->data32[c][f] * gain);
    return kResult;
}

const clap_plugin_t kPlugin = {&kDescriptor,
                               nullptr,
                               [](auto) { return true; },
                               [](auto) {},
                               [](auto...) { return true; },
                               [](auto) {},
                               [](auto) { return true; },
                               [](auto) {},
                               [](auto) {},
                               process,
                               [](const clap_plugin_t*, const char* id) -> const void* {
                                   return !std::strcmp(id, CLAP_EXT_PARAMS)        ? static_cast<const void*>(&kParams)
                                          : !std::strcmp(id, CLAP_EXT_AUDIO_PORTS) ? static_cast<const void*>(&kPorts)
                                          : !std::strcmp(id, CLAP_EXT_TAIL)        ? static_cast<const void*>(&kTail)
                                                                                   : nullptr;
                               },
                               nullptr};
const clap_plugin_factory_t kFactory = {[](auto) { return 1u; }, [](auto...) { return &kDescriptor; },
                                        [](auto...) { return &kPlugin; }};

} // namespace

extern "C" QUADECHO_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION, [](auto) { return true; }, [] {},
                                                                        [](auto) -> const void* { return &kFactory; }};
