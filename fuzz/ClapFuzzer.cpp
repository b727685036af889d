// A hostile CLAP host: one fresh plug-in per input, activated at a rate from the input, then a
// sequence decoded from the input bytes: blocks of any size with arbitrary event lists (any type,
// space, size, id, cookie, time, value), state bytes, resets, flushes, re-activations and text
// queries. Memory errors and undefined behaviour are the sanitizers' business; the checks here
// catch what they cannot see: output that is not finite for a finite input, a value outside its
// range read back, a text not terminated within its capacity.
#include "ByteReader.h"
#include "core/Parameters.h"
#include "host/ClapHost.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

namespace {

using quadecho::fuzz::ByteReader;
using namespace quadecho;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "hostile CLAP host: %s\n", what);
    std::abort();
}

const double kValues[] = {0.0,  -1.0, 0.5, 1.0,    2.0,   4.0,    100.0,   200.0,  2000.0,
                          8000, 1e9,  -1e9, 1e300, -1e300, 3.9999, 1.0049, -0.0001, 2001.0,
                          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
const double kRates[] = {44100.0, 48000.0, 8000.0, 1.0, 0.0, -1.0, 1536000.0, 1536000.5, 96000.0};
const std::uint32_t kFrames[] = {0, 1, 2, 7, 64, 512, 4096};

double number(ByteReader& in) { return in.byte() % 4 ? in.pick(kValues) : in.f64(); }

// Events as any host might send them: each field from the input, most near what hosts send.
struct Events {
    std::vector<clap_event_param_value_t> events;
    clap_input_events_t list{this,
                             [](const clap_input_events_t* l) noexcept {
                                 return std::uint32_t(static_cast<Events*>(l->ctx)->events.size());
                             },
                             [](const clap_input_events_t* l, std::uint32_t i) noexcept -> const clap_event_header_t* {
                                 const auto& e = static_cast<Events*>(l->ctx)->events;
                                 return i < e.size() ? &e[i].header : nullptr;
                             }};

    void decode(ByteReader& in, std::uint32_t frames)
    {
        events.clear();
        for (int count = in.byte() % 24; count > 0; --count) {
            const std::uint8_t shape = in.byte();
            clap_event_param_value_t e{{sizeof e, 0, 0, std::uint16_t(shape & 1 ? 6 : 5), 0}, 0, nullptr,
                                       -1,         -1, -1, -1, 0.0};
            e.header.time = shape & 2 ? in.u32() : (frames ? in.byte() % frames : 0);
            e.param_id = shape & 4 ? in.u32() : in.byte() % 25;
            if (shape & 8)
                e.header.type = in.byte() % 12, e.header.space_id = in.byte() % 2;
            if (shape & 16)
                e.header.size = in.byte();
            if (shape & 32)
                e.note_id = static_cast<std::int8_t>(in.byte()), e.key = static_cast<std::int8_t>(in.byte());
            if (shape & 64)
                e.cookie = this;
            e.value = number(in);
            events.push_back(e);
        }
    }
};

void checkValues(const clap_plugin_t* plugin, const clap_plugin_params_t& params)
{
    for (const ParameterFacts& row : kParameters) {
        double v = 0.0;
        if (!params.get_value(plugin, row.index, &v) || !(v >= row.minValue && v <= row.maxValue))
            fail("a value read back is outside its range");
    }
}

void texts(ByteReader& in, const clap_plugin_t* plugin, const clap_plugin_params_t& params)
{
    char text[40];
    std::memset(text, 0x7f, sizeof text);
    const std::uint32_t capacity = in.byte() % 24;
    const clap_id id = in.byte() % 25;
    if (params.value_to_text(plugin, id, number(in), text, capacity) && !std::memchr(text, 0, capacity))
        fail("a value's text is not terminated within its capacity");
    for (std::size_t i = capacity; i < sizeof text; ++i)
        if (text[i] != 0x7f)
            fail("a value's text was written past its capacity");
    char typed[24] = {};
    for (std::size_t i = 0; i + 1 < sizeof typed; ++i)
        typed[i] = static_cast<char>(in.byte());
    double read = 0.0;
    if (params.text_to_value(plugin, id, typed, &read) && !std::isfinite(read))
        fail("a text read as a value that is not finite");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    claphost::PluginInstance plugin(clap_entry, "quadecho.clap");
    if (!plugin.ok())
        fail("the plug-in did not start");
    const clap_plugin_t* p = plugin.record();
    const auto& params = *plugin.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    const auto& state = *plugin.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    bool active = plugin.activate(in.pick(kRates), 4096);
    Events events;
    std::vector<float> left(4096, 0.25f), right(4096, -0.5f), outL(4096), outR(4096);
    while (!in.done()) {
        switch (in.byte() % 6) {
        case 0:
        case 1: {
            const std::uint32_t frames = in.pick(kFrames);
            events.decode(in, frames);
            float* inputs[2] = {left.data(), right.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            const clap_audio_buffer_t input{inputs, nullptr, 2, 0, 0};
            clap_audio_buffer_t output{outputs, nullptr, 2, 0, 0};
            const clap_process_t call{-1, frames, nullptr, &input, &output, 1, 1, &events.list,
                                      claphost::noOutputEvents()};
            const std::int32_t status = p->process(p, &call);
            if (status != (active ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR))
                fail("process answered neither continue nor, inactive, the error result");
            for (std::uint32_t i = 0; active && i < frames; ++i)
                if (!std::isfinite(outL[i]) || !std::isfinite(outR[i]))
                    fail("the output is not finite");
            break;
        }
        case 2: {
            std::vector<std::uint8_t> bytes(in.byte() % 2 ? 104 : in.byte());
            for (auto& b : bytes)
                b = in.byte();
            claphost::MemoryReader reader(bytes, 1 + in.byte() % 16);
            state.load(p, &reader.stream);
            break;
        }
        case 3:
            if (active)
                p->reset(p);
            else
                events.decode(in, 0), params.flush(p, &events.list, claphost::noOutputEvents());
            break;
        case 4:
            active = plugin.activate(in.pick(kRates), 4096);
            break;
        default:
            texts(in, p, params);
            break;
        }
        checkValues(p, params);
    }
    return 0;
}
