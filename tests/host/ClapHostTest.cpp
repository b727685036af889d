// The CLAP host layer against a fake module that breaks one thing a row: it refuses what it cannot
// drive without calling into it, and undoes what it started, in order; and its event lists.
#include "host/ClapHost.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace quadecho::claphost;

// The calls the fake module answered, a token each, and the letter of the one it refuses. Globals:
// the entry's functions get no context.
std::string calls;
char refused;

bool note(char call) { return calls.append(1, call).append(" "), call != refused; }
std::int32_t process(const clap_plugin_t*, const clap_process_t* p)
{
    note('p');
    calls += std::to_string(p->steady_time) + ' ' +
             std::to_string(p->audio_inputs->constant_mask | p->audio_outputs->constant_mask) + ' ';
    return CLAP_PROCESS_CONTINUE;
}
bool activate(const clap_plugin_t*, double, std::uint32_t least, std::uint32_t most)
{
    const bool ok = note('a');
    calls += std::to_string(least) + '-' + std::to_string(most) + ' ';
    return ok;
}

// A module that does all a host asks: the entry's (I)nit, (F)actory and (D)einit, (C)reate, and the
// plug-in's (i)nit, (d)estroy, (a)ctivate with its least and most frames, deactivate (x), (s)tart
// and stop (t) processing, and (p)rocess, with the steady time and the buffers' constant masks.
const clap_plugin_descriptor_t kDescriptor = {CLAP_VERSION, "fake", "Fake", "", "", "", "", "1", "", nullptr};
// clang-format off
clap_plugin_t plugin = {&kDescriptor, nullptr, [](auto) { return note('i'); }, [](auto) { note('d'); }, activate,
                        [](auto) { note('x'); }, [](auto) { return note('s'); }, [](auto) { note('t'); }, [](auto) {},
                        process, [](auto...) -> const void* { return nullptr; }, nullptr};
// clang-format on
clap_plugin_factory_t factory = {[](auto) { return 1u; }, [](auto...) { return &kDescriptor; },
                                 [](auto...) -> const clap_plugin_t* { return note('C') ? &plugin : nullptr; }};
clap_plugin_entry_t entry = {CLAP_VERSION, [](auto) { return note('I'); }, [] { note('D'); },
                             [](auto) -> const void* { return note('F') ? &factory : nullptr; }};

// Each row: what the host calls, the plug-in count it reports and whether it says why it made none,
// whether activate succeeds (+ or -) and which of four blocks (64, 0, 65 and 32 frames, at most 64)
// it refuses (E), for each of the row's faults.
TEST(ClapHost, RefusesWhatItCannotDriveAndUndoesWhatItStartedInOrder)
{
    const std::pair<const char*, std::vector<void (*)()>> rows[] = {
        {"I F C i 1 a 1-64 s + p 0 0 E E p 64 0 t x d D ", {[] {}}},
        {"0 why - E E E E ",
         {[] { entry.clap_version.major = 0; }, [] { entry.init = nullptr; }, [] { entry.get_factory = nullptr; },
          [] { entry.deinit = nullptr; }}},
        {"I 0 why - E E E E ", {[] { refused = 'I'; }}},
        {"I F 0 why - E E E E D ", {[] { refused = 'F'; }, [] { factory.get_plugin_count = nullptr; }}},
        {"I F 1 why - E E E E D ",
         {[] { factory.get_plugin_descriptor = nullptr; }, [] { factory.create_plugin = nullptr; }}},
        {"I F C 1 why - E E E E D ", {[] { plugin.destroy = nullptr; }, [] { refused = 'C'; }}},
        // What was made is destroyed again.
        {"I F C d 1 why - E E E E D ",
         {[] { plugin.get_extension = nullptr; }, [] { plugin.init = nullptr; },
          [] { plugin.start_processing = nullptr; }, [] { plugin.desc = nullptr; },
          [] { plugin.stop_processing = nullptr; }, [] { plugin.activate = nullptr; }, [] { plugin.reset = nullptr; },
          [] { plugin.deactivate = nullptr; }, [] { plugin.process = nullptr; }}},
        {"I F C i d 1 why - E E E E D ", {[] { refused = 'i'; }}},
        {"I F C i 1 a 1-64 - E E E E d D ", {[] { refused = 'a'; }}},
        {"I F C i 1 a 1-64 s x - E E E E d D ", {[] { refused = 's'; }}},
    };
    const auto whole = std::tuple(entry, factory, plugin);
    float* io[2] = {}; // the fake reads no audio
    for (const auto& [expected, faults] : rows)
        for (std::size_t i = 0; i < faults.size(); ++i) {
            std::tie(entry, factory, plugin) = whole, calls.clear(), refused = 0;
            faults[i]();
            {
                PluginInstance instance(entry, "fake.clap");
                calls += std::to_string(instance.pluginCount()) + (instance.why().empty() ? " " : " why ");
                calls += instance.ok() && instance.activate(48000.0, 64) ? "+ " : "- ";
                for (const std::uint32_t frames : {64u, 0u, 65u, 32u})
                    calls += instance.process(io, io, frames, EventList()) == CLAP_PROCESS_ERROR ? "E " : "";
            }
            EXPECT_EQ(calls, expected) << "fault " << i << " of its row";
        }
}

// A block's share of a longer list holds the events at frames [from, to), shifted to start at 0,
// each with the header a plug-in reads; the output list takes nothing.
TEST(ClapHost, EventListsHoldEachEventInItsBlock)
{
    EventList all, block;
    all.modulation(4, 0, 0.5), all.value(5, 0, 0.5), all.modulation(8, 0, 0.5), all.value(10, 0, 0.5);
    block.blockOf(all, 5, 10);
    ASSERT_EQ(block.size(), 2u);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const clap_event_header_t& h = *block.list()->get(block.list(), i);
        EXPECT_EQ(std::tuple(h.size, h.time, h.space_id, h.type, h.flags),
                  std::tuple(i ? sizeof(clap_event_param_mod_t) : sizeof(clap_event_param_value_t), 3 * i,
                             CLAP_CORE_EVENT_SPACE_ID, i ? CLAP_EVENT_PARAM_MOD : CLAP_EVENT_PARAM_VALUE, 0u));
    }
    EXPECT_FALSE(noOutputEvents()->try_push(noOutputEvents(), block.list()->get(block.list(), 0)));
}

} // namespace
