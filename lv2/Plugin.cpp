// The effect as an LV2 plug-in: port plumbing over the core's owning instance, which sizes the
// line at instantiation, forgets history on activate and holds control values to the ranges the
// host was told.
#include "Ports.h"
#include "core/Instance.h"

#include <lv2/core/lv2.h>

#include <new>

namespace quadecho::lv2 {
namespace {

struct Plugin {
    const float* in[2] = {};
    float* out[2] = {};
    const float* controls[kNumParams] = {};
    Instance instance{HostValues::HeldToRange};
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*) noexcept
{
    auto* plugin = new (std::nothrow) Plugin;
    if (plugin && !plugin->instance.prepare(rate)) {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) noexcept
{
    auto& plugin = *static_cast<Plugin*>(handle);
    switch (port) {
    case kInL:
    case kInR:
        plugin.in[port - kInL] = static_cast<const float*>(data);
        break;
    case kOutL:
    case kOutR:
        plugin.out[port - kOutL] = static_cast<float*>(data);
        break;
    default:
        if (port >= kFirstControl && port < kPortCount)
            plugin.controls[port - kFirstControl] = static_cast<const float*>(data);
        break;
    }
}

// LV2 asks an instance to forget its history here (the 2.4 effect's resume keeps the echoes).
void activate(LV2_Handle handle) noexcept { static_cast<Plugin*>(handle)->instance.reset(); }

void deactivate(LV2_Handle) noexcept {}

void run(LV2_Handle handle, std::uint32_t frames) noexcept
{
    auto& plugin = *static_cast<Plugin*>(handle);
    if (!plugin.in[0] || !plugin.in[1] || !plugin.out[0] || !plugin.out[1])
        return;
    // A control port left unconnected counts as its default.
    float values[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        values[i] = plugin.controls[i] ? *plugin.controls[i] : kParameters[i].defaultValue;
    plugin.instance.process(values, {{plugin.in[0], plugin.in[1], plugin.out[0], plugin.out[1], 1, 1}, frames, false});
}

void cleanup(LV2_Handle handle) noexcept { delete static_cast<Plugin*>(handle); }

const void* extensionData(const char*) noexcept { return nullptr; }

const LV2_Descriptor kDescriptor = {kLv2Uri, instantiate, connectPort, activate,
                                    run,     deactivate,  cleanup,     extensionData};

} // namespace
} // namespace quadecho::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &quadecho::lv2::kDescriptor : nullptr;
}
