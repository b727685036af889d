// One LV2 instance with its ports connected to buffers of its own, as an LV2 host drives it.
#pragma once

#include "lv2/InlineDisplay.h"
#include "lv2/Ports.h"
#include "testing/EffectHost.h"
#include "testing/RealtimeScope.h"

#include <lv2/core/lv2.h>

#include <array>
#include <set>

namespace quadecho::testhost {

class Lv2Host {
public:
    explicit Lv2Host(double rate, const LV2_Feature* const* features = nullptr)
        : d(lv2_descriptor(0)), handle(d->instantiate(d, rate, "", features))
    {
        if (!handle)
            return;
        for (std::uint32_t i = 0; i < kNumParams; ++i) {
            controls[i] = kParameters[i].defaultValue;
            d->connect_port(handle, lv2::kFirstControl + i, &controls[i]);
        }
        d->activate(handle);
    }
    ~Lv2Host() { handle ? d->cleanup(handle) : void(); }

    // Blocks as EffectHost::render makes them; outputs start as not-a-number.
    Stereo render(Stereo input, std::vector<int> blockSizes = {512})
    {
        Stereo leftovers(input.size(), kNaN);
        return renderInBlocks(
            std::move(input), blockSizes, false, std::move(leftovers), [&](float** in, float** out, VstInt32 frames) {
                for (std::uint32_t port = 0; port < lv2::kAudioPorts; ++port)
                    d->connect_port(handle, port, port < lv2::kOutL ? in[port] : out[port - lv2::kOutL]);
                onAudioThread([&] { d->run(handle, static_cast<std::uint32_t>(frames)); });
            });
    }

    const LV2_Descriptor* d;
    LV2_Handle handle;
    std::array<float, kNumParams> controls{};
};

// The settings' picture through the inline-display extension.
inline const lv2::InlineDisplayImageSurface* render(Lv2Host& host, std::uint32_t w, std::uint32_t h)
{
    return static_cast<const lv2::InlineDisplayInterface*>(
               lv2_descriptor(0)->extension_data(lv2::kInlineDisplayInterface))
        ->render(host.handle, w, h);
}

// A copy of a picture (its stride is 4 × width, as the first case checks).
struct Picture {
    int width, height;
    std::vector<std::uint32_t> pixels;
};

inline Picture picture(Lv2Host& host, std::uint32_t w)
{
    const lv2::InlineDisplayImageSurface* s = render(host, w, w);
    const auto* p = reinterpret_cast<const std::uint32_t*>(s->data);
    return {s->width, s->height, {p, p + s->width * s->height}};
}

// The columns with a pixel of the colour in rows [top, bottom).
inline std::set<int> columnsWith(const Picture& p, std::uint32_t colour, int top, int bottom)
{
    std::set<int> columns;
    for (int i = top * p.width; i < bottom * p.width; ++i)
        if (p.pixels[static_cast<std::size_t>(i)] == colour)
            columns.insert(i % p.width);
    return columns;
}

} // namespace quadecho::testhost
