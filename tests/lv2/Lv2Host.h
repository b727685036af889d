// One LV2 instance with its ports connected to buffers of its own, as an LV2 host drives it.
#pragma once

#include "lv2/Ports.h"
#include "testing/EffectHost.h"
#include "testing/RealtimeScope.h"

#include <lv2/core/lv2.h>

#include <array>

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
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

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

} // namespace quadecho::testhost
