// The CLAP adapter as a CLAP host drives it, through the project's host layer: its descriptor,
// ports and parameters as hosts store them, the texts and state bytes, events applied at their
// frame, modulation on top of the values, and whatever a faulty host sends.
#include "core/Parameters.h"
#include "core/State.h"
#include "host/ClapHost.h"
#include "testing/EffectHost.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"
#include "testing/Stereo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <tuple>

extern "C" const clap_plugin_entry_t clap_entry;

namespace {

using namespace quadecho;
using namespace quadecho::testhost;
using claphost::EventList;

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// One activated instance, and what it renders.
struct Clap {
    explicit Clap(double rate = 44100.0) { EXPECT_TRUE(plugin.ok() && plugin.activate(rate, 4096)) << plugin.why(); }
    double value(clap_id id) const
    {
        double v = kNotANumber;
        params.get_value(plugin.record(), id, &v);
        return v;
    }
    // One process call over the input; the status it answered.
    std::int32_t process(const Stereo& in, Stereo& out, const EventList& events)
    {
        const float* inputs[2] = {in.left.data(), in.right.data()};
        float* outputs[2] = {out.left.data(), out.right.data()};
        return onAudioThread(
            [&] { return plugin.process(inputs, outputs, static_cast<std::uint32_t>(in.size()), events); });
    }
    Stereo render(const Stereo& in, const EventList& events = EventList())
    {
        Stereo out(in.size(), std::numeric_limits<float>::quiet_NaN());
        EXPECT_EQ(process(in, out, events), CLAP_PROCESS_CONTINUE);
        return out;
    }

    claphost::PluginInstance plugin{clap_entry, "quadecho.clap"};
    const clap_plugin_params_t& params = *plugin.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    const clap_plugin_state_t& state = *plugin.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
};

TEST(ClapPlugin, DescribesOneStereoEffectWithTheTablesParametersPinned)
{
    Clap clap;
    const clap_plugin_descriptor_t& d = clap.plugin.descriptor();
    EXPECT_EQ(std::tuple(clap.plugin.pluginCount(), std::string(d.id), std::string(d.name), std::string(d.vendor),
                         std::string(d.version), std::string(d.features[0]) + "," + d.features[1] + "," + d.features[2]),
              std::tuple(1u, "com.velmorn-quaddle.quadecho", "VelqQuadecho", "Velmorn Quaddle", "1.0.6",
                         "audio-effect,delay,stereo"));
    EXPECT_EQ(d.features[3], nullptr);
    const auto& ports = *clap.plugin.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    for (bool input : {true, false}) {
        clap_audio_port_info_t info{};
        ASSERT_EQ(ports.count(clap.plugin.record(), input), 1u);
        ASSERT_TRUE(ports.get(clap.plugin.record(), 0, input, &info));
        EXPECT_EQ(std::tuple(info.id, info.flags, info.channel_count, std::string(info.port_type), info.in_place_pair),
                  std::tuple(0u, CLAP_AUDIO_PORT_IS_MAIN, 2u, "stereo", 0u));
        EXPECT_FALSE(ports.get(clap.plugin.record(), 1, input, &info));
    }
    // Ids hosts keep in their sessions: a reordered table fails here.
    const std::tuple<clap_id, const char*, double, double, double> rows[] = {{0, "Tap 1 time", 0, 2000, 200},
                                                                             {5, "Tap 2 pan", -1, 1, -1.0 / 3},
                                                                             {14, "Tap 4 feedback", 0, 100, 40},
                                                                             {17, "Filter Cutoff", 50, 8000, 1000},
                                                                             {19, "Filter Type", 0, 4, 0},
                                                                             {22, "Master feedback", 0, 200, 100}};
    ASSERT_EQ(clap.params.count(clap.plugin.record()), 23u);
    for (const auto& [id, name, min, max, def] : rows) {
        clap_param_info_t info{};
        ASSERT_TRUE(clap.params.get_info(clap.plugin.record(), id, &info));
        EXPECT_EQ(std::tuple(info.id, std::string(info.name), std::string(info.module), info.min_value, info.max_value,
                             info.flags, info.cookie),
                  std::tuple(id, name, "", min, max, CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_MODULATABLE, nullptr));
        EXPECT_NEAR(info.default_value, def, 1e-7) << name;
        EXPECT_EQ(clap.value(id), info.default_value) << name;
    }
    clap_param_info_t info;
    EXPECT_FALSE(clap.params.get_info(clap.plugin.record(), 23, &info));
}

// Each parameter at its minimum, default and maximum: the text written reads back to a value
// that writes the same text, and to the same value but where a name stands for two ("Thru").
TEST(ClapPlugin, TextsReadBackAndRefuseWhatDoesNotFit)
{
    Clap clap;
    for (const ParameterFacts& row : kParameters)
        for (const double v : {double(row.minValue), double(row.defaultValue), double(row.maxValue)}) {
            char text[64], again[64];
            double read = kNotANumber;
            ASSERT_TRUE(clap.params.value_to_text(clap.plugin.record(), row.index, v, text, sizeof text)) << row.name;
            ASSERT_TRUE(clap.params.text_to_value(clap.plugin.record(), row.index, text, &read)) << text;
            ASSERT_TRUE(clap.params.value_to_text(clap.plugin.record(), row.index, read, again, sizeof again));
            EXPECT_STREQ(again, text);
            // Equal to the text's last digit ("-0.333" for a third).
            EXPECT_NEAR(read, std::string(text) == "Thru" ? 0.0 : v, 5e-4 * std::max(1.0, std::fabs(v))) << text;
        }
    char text[9];
    double read;
    EXPECT_TRUE(clap.params.value_to_text(clap.plugin.record(), 0, 500.0, text, 9)) << "\"500.0 ms\" fits exactly";
    EXPECT_STREQ(text, "500.0 ms");
    for (const auto& [id, value, capacity] : {std::tuple{0u, 500.0, 8u}, {0u, 500.0, 0u}, {0u, kNotANumber, 9u}, {23u, 1.0, 9u}})
        EXPECT_FALSE(clap.params.value_to_text(clap.plugin.record(), id, value, text, capacity)) << id << " " << value;
    for (const auto& [id, what] : {std::pair{17u, "fast"}, {17u, "Low"}, {23u, "1"}})
        EXPECT_FALSE(clap.params.text_to_value(clap.plugin.record(), id, what, &read)) << what;
}

std::vector<std::uint8_t> saved(Clap& clap, std::size_t chunk)
{
    claphost::MemoryWriter writer(chunk);
    EXPECT_TRUE(clap.state.save(clap.plugin.record(), &writer.stream));
    return writer.bytes;
}

// Saved through short writes, loaded through short reads into another instance; anything but a
// whole state of values in range is refused and leaves the values as they were.
TEST(ClapPlugin, StateTravelsWholeOrNotAtAll)
{
    float defaults[kNumParams];
    defaultValues(defaults);
    std::uint8_t expected[kStateBytes];
    writeState(defaults, expected);
    Clap from, to;
    EXPECT_EQ(saved(from, 7), std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
    EventList change;
    change.value(0, kFilterCutoff, 2500.0);
    change.value(0, kTap3Pan, 0.25);
    from.params.flush(from.plugin.record(), change.list(), claphost::noOutputEvents());
    const std::vector<std::uint8_t> good = saved(from, 1);
    claphost::MemoryReader reader(good, 5);
    ASSERT_TRUE(to.state.load(to.plugin.record(), &reader.stream));
    EXPECT_EQ(std::tuple(to.value(kFilterCutoff), to.value(kTap3Pan)), std::tuple(2500.0, 0.25));
    const auto putFloat = [](std::vector<std::uint8_t>& b, int index, float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; ++i)
            b[12 + 4 * index + i] = std::uint8_t(bits >> (24 - 8 * i));
    };
    const std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>> faults[] = {
        {"cut short", [](auto& b) { b.pop_back(); }},
        {"padded", [](auto& b) { b.push_back(0); }},
        {"another tag", [](auto& b) { b[0] = 'X'; }},
        {"version 2", [](auto& b) { b[7] = 2; }},
        {"24 values", [](auto& b) { b[11] = 24; }},
        {"not a number", [&](auto& b) { putFloat(b, kFilterQ, std::numeric_limits<float>::quiet_NaN()); }},
        {"out of range", [&](auto& b) { putFloat(b, kTap1Time, 2000.5f); }},
    };
    for (const auto& [name, fault] : faults) {
        std::vector<std::uint8_t> bytes = good;
        bytes[12 + 4 * kFilterCutoff + 1] ^= 1; // a different cutoff, so that half an application shows
        fault(bytes);
        claphost::MemoryReader bad(bytes, 3);
        EXPECT_FALSE(to.state.load(to.plugin.record(), &bad.stream)) << name;
        EXPECT_EQ(saved(to, 1000), good) << name << ": the values changed";
    }
    // Streams that fail (none, no write function, answers of 0 or -1 bytes) or answer 60 bytes a call,
    // more than the second call asks for: refused, and the values kept.
    const clap_ostream_t noWrite{nullptr, nullptr};
    EXPECT_FALSE(to.state.save(to.plugin.record(), nullptr) || to.state.save(to.plugin.record(), &noWrite));
    const auto answer = [](auto* stream, auto, auto) { return *static_cast<std::int64_t*>(stream->ctx); };
    for (std::int64_t n : {0, -1, 60}) {
        const clap_ostream_t out{&n, answer};
        const clap_istream_t in{&n, answer};
        EXPECT_FALSE(to.state.save(to.plugin.record(), &out)) << "writes answering " << n;
        EXPECT_FALSE(to.state.load(to.plugin.record(), &in)) << "reads answering " << n;
    }
    EXPECT_EQ(saved(to, 1000), good) << "a refused load changed the values";
}

// A value event at frame t sounds as the block split at t with the value applied between the
// pieces, bit for bit, and nothing before t changes; a state loaded while processing is taken at
// the next block and read back at once.
TEST(ClapPlugin, EventsApplyAtTheirFrame)
{
    const Stereo input = [] {
        Stereo s(3000);
        Noise noise(3, 0.5f);
        s.left = noise.samples(3000), s.right = noise.samples(3000);
        return s;
    }();
    for (const std::uint32_t t : {0u, 1u, 777u, 2999u}) {
        EventList events;
        events.value(t, kTap1Time, 3.0); // a short tap: heard within the block
        events.value(t, kFilterType, 2.5);
        Clap whole, split, without;
        const Stereo got = whole.render(input, events);
        Stereo first(t), second(input.size() - t), expected(input.size());
        std::copy_n(input.left.begin(), t, first.left.begin()), std::copy_n(input.right.begin(), t, first.right.begin());
        std::copy(input.left.begin() + t, input.left.end(), second.left.begin());
        std::copy(input.right.begin() + t, input.right.end(), second.right.begin());
        EventList atStart;
        atStart.blockOf(events, t, t + 1);
        const Stereo a = t ? split.render(first) : Stereo(), b = split.render(second, atStart);
        expected.left = a.left, expected.right = a.right;
        expected.left.insert(expected.left.end(), b.left.begin(), b.left.end());
        expected.right.insert(expected.right.end(), b.right.begin(), b.right.end());
        EXPECT_EQ(firstDifference(expected, got), "") << "at frame " << t;
        const Stereo plain = without.render(input);
        EXPECT_TRUE(std::equal(plain.left.begin(), plain.left.begin() + t, got.left.begin())) << t;
        EXPECT_NE(plain.left, got.left) << t;
    }
    Clap clap;
    claphost::MemoryWriter other;
    {
        Clap changed;
        EventList e;
        e.value(0, kWetDryMix, 0.5);
        changed.params.flush(changed.plugin.record(), e.list(), claphost::noOutputEvents());
        changed.state.save(changed.plugin.record(), &other.stream);
    }
    clap.render(input);
    claphost::MemoryReader reader(other.bytes);
    ASSERT_TRUE(clap.state.load(clap.plugin.record(), &reader.stream));
    EXPECT_EQ(clap.value(kWetDryMix), 0.5);
    const Stereo dry = clap.render(Stereo(4, 1.0f));
    EXPECT_EQ(dry.left[0], 1.0f) << "the loaded mix is heard from the next block";
}

// Modulation adds to the value (the sum held to the range) until the next amount, is never read
// back, and reset sets it to 0.
TEST(ClapPlugin, ModulationAddsToTheValueUntilReset)
{
    const Stereo input(64, 1.0f);
    const auto firstSample = [&](const std::function<void(EventList&)>& add, bool resetFirst = false) {
        Clap clap;
        EventList events;
        add(events);
        clap.render(Stereo(1), events);
        if (resetFirst)
            clap.plugin.record()->reset(clap.plugin.record());
        return std::pair(clap.render(input).left[0], clap.value(kWetDryMix));
    };
    // At mix 0 the dry input passes unchanged; at mix 1 the line is still silent.
    EXPECT_EQ(firstSample([](EventList& e) { e.value(0, kWetDryMix, 0.25); }), std::pair(1.0f, 0.25));
    EXPECT_EQ(firstSample([](EventList& e) { e.modulation(0, kWetDryMix, -1.0); }), std::pair(1.0f, 1.0));
    EXPECT_EQ(firstSample([](EventList& e) { e.modulation(0, kWetDryMix, -5.0), e.value(0, kWetDryMix, 0.75); }),
              std::pair(1.0f, 0.75));
    EXPECT_EQ(firstSample([](EventList& e) { e.modulation(0, kWetDryMix, -1.0); }, true), std::pair(0.0f, 1.0));
    // A small amount is heard too: 0.01 takes 0.99 to the top.
    EXPECT_EQ(firstSample([](EventList& e) { e.value(0, kWetDryMix, 0.99), e.modulation(0, kWetDryMix, 0.01); }),
              std::pair(0.0f, double(0.99f)));
}

// Whatever a faulty host sends: events of every type and space, for unknown ids, notes or ports,
// with cookies, short sizes, numbers not finite or far out of range, times past the block and out
// of order, a thousand in a block; lists missing or without their functions; blocks of 0 and 1
// frames; missing or mono buffers, no process record.
TEST(ClapPlugin, FaultyHostsGetFiniteOutputOrTheErrorResult)
{
    Clap clap(8000.0);
    std::vector<clap_event_param_value_t> raw;
    const auto event = [&](std::uint16_t type, clap_id id, double v, std::uint32_t time = 3) {
        raw.push_back({{sizeof(clap_event_param_value_t), time, 0, type, 0}, id, nullptr, -1, -1, -1, -1, v});
        return &raw.back();
    };
    raw.reserve(1100);
    for (std::uint16_t type = 0; type < 12; ++type)
        event(type, kMasterFeedback, 1e30);
    event(5, 23, 1.0)->header.space_id = 1;
    event(5, kTap1Feedback, 100.0)->header.space_id = 7;
    event(5, kTap1Time, 1.0)->header.size = 40;
    event(5, kTap1Time, 1.0)->note_id = 3;
    event(5, kTap1Time, 1.0)->key = 60;
    event(5, kTap1Time, 1.0)->cookie = &raw;
    for (double v : {kNotANumber, std::numeric_limits<double>::infinity(), -1e300, 1e300})
        event(5, kFilterQ, v), event(6, kFilterCutoff, v);
    for (int i = 0; i < 1000; ++i)
        event(i % 2 ? 5 : 6, i % kNumParams, i * 37.0 - 5000.0, 1000000 - i);
    clap_input_events_t list{&raw,
                             [](const clap_input_events_t* l) noexcept {
                                 return std::uint32_t(static_cast<decltype(raw)*>(l->ctx)->size());
                             },
                             [](const clap_input_events_t* l, std::uint32_t i) noexcept -> const clap_event_header_t* {
                                 return &(*static_cast<decltype(raw)*>(l->ctx))[i].header;
                             }};
    Stereo in(64, 0.5f), out(64);
    float* outputs[2] = {out.left.data(), out.right.data()};
    float* inputs[2] = {in.left.data(), in.right.data()};
    clap_audio_buffer_t inBuffer{inputs, nullptr, 2, 0, 0}, outBuffer{outputs, nullptr, 2, 0, 0};
    clap_input_events_t noSize{&raw, nullptr, list.get}, noGet{&raw, list.size, nullptr};
    for (const auto& [events, frames] :
         {std::pair{&list, 64u}, {&list, 0u}, {&list, 1u}, {&noSize, 64u}, {&noGet, 64u}, {nullptr, 64u}}) {
        const clap_process_t call{-1, frames, nullptr, &inBuffer, &outBuffer, 1, 1, events, claphost::noOutputEvents()};
        EXPECT_EQ(onAudioThread([&] { return clap.plugin.record()->process(clap.plugin.record(), &call); }),
                  CLAP_PROCESS_CONTINUE);
    }
    EXPECT_TRUE(std::all_of(out.left.begin(), out.left.end(), [](float v) { return std::isfinite(v); }));
    for (const ParameterFacts& row : kParameters)
        EXPECT_TRUE(clap.value(row.index) >= row.minValue && clap.value(row.index) <= row.maxValue) << row.name;
    for (const auto& [inputs32, count, channels] :
         {std::tuple{inputs, 1u, 1u}, {inputs, 0u, 2u}, {inputs, 2u, 2u}, {static_cast<float**>(nullptr), 1u, 2u}}) {
        const clap_audio_buffer_t bad{inputs32, nullptr, channels, 0, 0};
        const clap_process_t call{-1, 64, nullptr, &bad, &outBuffer, count, 1, &list, claphost::noOutputEvents()};
        EXPECT_EQ(clap.plugin.record()->process(clap.plugin.record(), &call), CLAP_PROCESS_ERROR) << channels;
    }
    EXPECT_EQ(clap.plugin.record()->process(clap.plugin.record(), nullptr), CLAP_PROCESS_ERROR);
}

} // namespace
