// The effect as an LV2 plug-in: port plumbing over the core's owning instance, which sizes the
// line at instantiation, forgets history on activate and holds control values to the ranges the
// host was told. Hosts with an inline display get the settings' picture (draw/Strip.h).
#include "InlineDisplay.h"
#include "Ports.h"
#include "core/Instance.h"
#include "draw/Strip.h"

#include <lv2/core/lv2.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <new>

namespace quadecho::lv2 {
namespace {

struct Plugin {
    const float* in[2] = {};
    float* out[2] = {};
    const float* controls[kNumParams] = {};
    Instance instance{HostValues::HeldToRange};

    // The values run read last, for the picture: written by run, read by render on another thread.
    std::atomic<float> shown[kNumParams];
    // Set by run when a value the picture shows changes, cleared by render: the host is asked
    // once, then not again until it has drawn.
    std::atomic<bool> stale{false};
    InlineDisplayQueueDraw queueDraw{};
    draw::Image image; // render's alone, as is the picture's size
    InlineDisplayImageSurface surface{};

    Plugin() noexcept
    {
        for (int i = 0; i < kNumParams; ++i)
            shown[i].store(kParameters[i].defaultValue, std::memory_order_relaxed);
    }
};
static_assert(std::atomic<float>::is_always_lock_free);

const InlineDisplayQueueDraw* queueDrawFeature(const LV2_Feature* const* features) noexcept
{
    for (; features && *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, kInlineDisplayQueueDraw) == 0 && (*features)->data)
            return static_cast<const InlineDisplayQueueDraw*>((*features)->data);
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) noexcept
{
    auto* plugin = new (std::nothrow) Plugin;
    if (plugin && !plugin->instance.prepare(rate)) {
        delete plugin;
        return nullptr;
    }
    if (const InlineDisplayQueueDraw* queueDraw = queueDrawFeature(features); plugin && queueDraw)
        plugin->queueDraw = *queueDraw;
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
    bool redraw = false;
    for (int i = 0; i < kNumParams; ++i) {
        values[i] = plugin.controls[i] ? *plugin.controls[i] : kParameters[i].defaultValue;
        // Bit for bit: a host that keeps sending not-a-number asks for one picture, not one a block.
        if (std::bit_cast<std::uint32_t>(values[i]) !=
            std::bit_cast<std::uint32_t>(plugin.shown[i].load(std::memory_order_relaxed))) {
            plugin.shown[i].store(values[i], std::memory_order_relaxed);
            redraw = redraw || draw::shownInStrip(i);
        }
    }
    if (redraw && !plugin.stale.exchange(true, std::memory_order_acq_rel) && plugin.queueDraw.queue_draw)
        plugin.queueDraw.queue_draw(plugin.queueDraw.handle);
    plugin.instance.process(values, {{plugin.in[0], plugin.in[1], plugin.out[0], plugin.out[1], 1, 1}, frames, false});
}

void cleanup(LV2_Handle handle) noexcept { delete static_cast<Plugin*>(handle); }

// The picture of the values run read last (the table's defaults before the first run), drawn at
// the size the room gives (draw/Strip.h); null for no room or no memory. Hosts ask again whenever
// their strip is exposed: a picture still true at its size is handed back as it is.
InlineDisplayImageSurface* render(LV2_Handle handle, std::uint32_t w, std::uint32_t h) noexcept
{
    auto& plugin = *static_cast<Plugin*>(handle);
    const draw::Size size = draw::stripSize(w, h);
    if (size.width == 0)
        return nullptr;
    if (!plugin.stale.load(std::memory_order_acquire) && size.width == plugin.surface.width &&
        size.height == plugin.surface.height)
        return &plugin.surface;
    if (!plugin.image.resize(size.width, size.height))
        return nullptr;
    // Cleared before the values are read, with the values that set it: a change after them asks again.
    plugin.stale.exchange(false, std::memory_order_acq_rel);
    float values[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        values[i] = plugin.shown[i].load(std::memory_order_relaxed);
    draw::drawStrip(values, HostValues::HeldToRange, plugin.instance.rate(), plugin.image);
    plugin.surface = {reinterpret_cast<unsigned char*>(plugin.image.pixels()), plugin.image.width(),
                      plugin.image.height(), plugin.image.stride()};
    return &plugin.surface;
}

const InlineDisplayInterface kInlineDisplay = {render};

const void* extensionData(const char* uri) noexcept
{
    return uri && std::strcmp(uri, kInlineDisplayInterface) == 0 ? &kInlineDisplay : nullptr;
}

const LV2_Descriptor kDescriptor = {kLv2Uri, instantiate, connectPort, activate,
                                    run,     deactivate,  cleanup,     extensionData};

} // namespace
} // namespace quadecho::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &quadecho::lv2::kDescriptor : nullptr;
}
