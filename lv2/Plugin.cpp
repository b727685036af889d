// The effect as an LV2 plug-in: a thin adapter that hands each run to the same signal path as the
// 2.4 effect. What it adds is what LV2 asks differently: the line sized at instantiation, history
// forgotten on activate, control values clamped to the ranges the host was told.
#include "Ports.h"
#include "core/SignalPath.h"
#include "core/Types.h"

#include <lv2/core/lv2.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace quadecho::lv2 {
namespace {

struct Instance {
    const float* in[2] = {};
    float* out[2] = {};
    const float* controls[kNumParams] = {};
    std::unique_ptr<float[]> samples;
    DelayLine line{};
    FilterState state{};
    SignalPath path;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*) noexcept
{
    // Checked in double first: a rate beyond the float range has no float to become.
    if (!(rate >= kLowestRate && rate <= kHighestRate) || !isUsableRate(static_cast<float>(rate)))
        return nullptr;
    const float sampleRate = static_cast<float>(rate);
    const std::int32_t length = lineLengthFor(sampleRate);
    std::unique_ptr<Instance> instance(new (std::nothrow) Instance);
    if (!instance || length < 1)
        return nullptr;
    instance->samples.reset(new (std::nothrow) float[static_cast<std::size_t>(length)]());
    if (!instance->samples)
        return nullptr;
    instance->line = {instance->samples.get(), length, 0, sampleRate};
    return instance.release();
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) noexcept
{
    auto& instance = *static_cast<Instance*>(handle);
    switch (port) {
    case kInL:
    case kInR:
        instance.in[port - kInL] = static_cast<const float*>(data);
        break;
    case kOutL:
    case kOutR:
        instance.out[port - kOutL] = static_cast<float*>(data);
        break;
    default:
        if (port >= kFirstControl && port < kPortCount)
            instance.controls[port - kFirstControl] = static_cast<const float*>(data);
        break;
    }
}

// An instance forgets its history here: LV2 asks it to (the 2.4 effect's resume keeps the echoes).
void activate(LV2_Handle handle) noexcept
{
    auto& instance = *static_cast<Instance*>(handle);
    std::fill_n(instance.line.samples, instance.line.length, 0.0f);
    instance.line.writeIndex = 0;
    instance.state = {};
}

void deactivate(LV2_Handle) noexcept {}

// Inside its range a value is passed on as it is; outside, it is held at the range the host was
// told; one that is not finite goes on as it is, and the signal path takes the default for it.
float controlValue(const float* port, const ParameterFacts& row) noexcept
{
    if (!port)
        return row.defaultValue;
    const float value = *port;
    return std::isfinite(value) ? std::clamp(value, row.minValue, row.maxValue) : value;
}

void run(LV2_Handle handle, std::uint32_t frames) noexcept
{
    auto& instance = *static_cast<Instance*>(handle);
    if (!instance.in[0] || !instance.in[1] || !instance.out[0] || !instance.out[1])
        return;
    float values[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        values[i] = controlValue(instance.controls[i], kParameters[i]);
    instance.path.process(values, instance.line.rate, instance.line, instance.state,
                          {{instance.in[0], instance.in[1], instance.out[0], instance.out[1], 1, 1}, frames, false});
}

void cleanup(LV2_Handle handle) noexcept { delete static_cast<Instance*>(handle); }

const void* extensionData(const char*) noexcept { return nullptr; }

const LV2_Descriptor kDescriptor = {kLv2Uri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData};

} // namespace
} // namespace quadecho::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &quadecho::lv2::kDescriptor : nullptr;
}
