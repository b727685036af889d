// A hostile LV2 host's control ports: one instance per input at a rate from the input, then blocks
// of any size, each with control values decoded from the input (any bits, the edges of every range,
// values that are not finite), ports left unconnected or connected again, and activations between
// them. The output of a finite input stays finite, whatever the values; the inline display's
// picture keeps to the size asked, whatever the size and the values.
#include "ByteReader.h"
#include "core/Parameters.h"
#include "lv2/InlineDisplay.h"
#include "lv2/Ports.h"

#include <lv2/core/lv2.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

using quadecho::fuzz::ByteReader;
using namespace quadecho;

const float kValues[] = {0.0f,
                         -1.0f,
                         1.0f,
                         4.0f,
                         200.0f,
                         2000.0f,
                         8000.0f,
                         1e30f,
                         -1e30f,
                         std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::denorm_min()};
const double kRates[] = {44100.0, 8000.0, 1.0, 96000.0, 0.0, -44100.0, 1e300};
const std::uint32_t kFrames[] = {0, 1, 7, 64, 512, 4096};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const LV2_Descriptor* d = lv2_descriptor(0);
    LV2_Handle h = d->instantiate(d, in.pick(kRates), "", nullptr);
    if (!h)
        return 0; // a rate no line can be sized for is refused
    std::vector<float> left(4096, 0.25f), right(4096, -0.5f), outL(4096), outR(4096);
    float controls[kNumParams];
    defaultValues(controls);
    for (std::uint32_t i = 0; i < kNumParams; ++i)
        d->connect_port(h, lv2::kFirstControl + i, &controls[i]);
    float* audio[] = {left.data(), right.data(), outL.data(), outR.data()};
    for (std::uint32_t port = 0; port < lv2::kAudioPorts; ++port)
        d->connect_port(h, port, audio[port]);
    d->activate(h);
    while (!in.done()) {
        const std::uint8_t what = in.byte();
        const std::uint32_t index = in.byte() % (kNumParams + 2);
        if (what % 8 == 0) {
            d->deactivate(h);
            d->activate(h);
            continue;
        }
        if (what % 8 == 2) { // the inline display's picture, at any size up to 1023 × 1023
            const std::uint32_t width = in.byte() * 4u + (index & 3), height = in.byte() * 4u + (what >> 6);
            const auto* display =
                static_cast<const lv2::InlineDisplayInterface*>(d->extension_data(lv2::kInlineDisplayInterface));
            const lv2::InlineDisplayImageSurface* s = display->render(h, width, height);
            if ((s == nullptr) != (width == 0 || height == 0) ||
                (s && (s->width > int(width) || s->height > int(height) || s->stride != 4 * s->width))) {
                std::fprintf(stderr, "hostile LV2 host: a picture of the wrong size\n");
                std::abort();
            }
            continue;
        }
        if (what % 8 == 1) { // a control left unconnected, or connected again; one past the last ignored
            d->connect_port(h, lv2::kFirstControl + index,
                            what & 16 || index >= kNumParams ? nullptr : &controls[index]);
            continue;
        }
        if (index < kNumParams)
            controls[index] = what & 16 ? std::bit_cast<float>(in.u32()) : in.pick(kValues);
        const std::uint32_t frames = in.pick(kFrames);
        d->run(h, frames);
        for (std::uint32_t i = 0; i < frames; ++i)
            if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) {
                std::fprintf(stderr, "hostile LV2 host: the output is not finite\n");
                std::abort();
            }
    }
    d->deactivate(h);
    d->cleanup(h);
    return 0;
}
