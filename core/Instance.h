// One instance of the effect as every host interface drives it, in two levels.
// (a) Functions over a view of a line and its state, wherever the owner keeps them: the 2.4
//     effect keeps them in members of its own.
// (b) Instance, which owns them, for interfaces without members of their own (LV2, CLAP).
#pragma once

#include "SignalPath.h"
#include "Types.h"

#include <cstdint>
#include <memory>

namespace quadecho {

// The owner's line and filter state: samples (length of them), the slot the next frame writes, the
// rate the line was sized for, and the filter's low-, high- and band-pass state.
struct LineState {
    float* samples;
    std::int32_t& length;
    std::int32_t& writeIndex;
    float& rate;
    float (&filter)[3];
};

// The samples a line needs at rate, or 0 for a rate no line can be sized for (zero, negative, not
// a number, beyond the highest rate, or beyond what a float holds).
std::int32_t lineSamplesFor(double rate) noexcept;

// Points the state at a fresh line: samples, lineSamplesFor(rate) of them, already cleared by the
// owner who allocated them; writing starts at slot 0. The filter state is left as it is.
void useLine(const LineState& state, double rate) noexcept;

// Nothing heard before is heard again: the line silent, writing from slot 0, the filter at rest.
void forgetHistory(const LineState& state) noexcept;

// One block through the line with the block's real values, on the audio thread. hostRate: the
// rate the host runs at; one no line can be sized for computes with the line's. Inline: a call of
// one frame would otherwise pay for the view's indirections (measured: about 4 ns a call).
inline void runBlock(SignalPath& path, const LineState& state, const float (&values)[kNumParams], float hostRate,
                     const AudioBlock& block, KnownValues known = KnownValues::MayHaveChanged) noexcept
{
    DelayLine line{state.samples, state.length, state.writeIndex, state.rate};
    FilterState filter{state.filter[0], state.filter[1], state.filter[2]};
    path.process(values, hostRate, line, filter, block, known);
    state.writeIndex = line.writeIndex;
    state.filter[0] = filter.low;
    state.filter[1] = filter.high;
    state.filter[2] = filter.band;
}

// An instance that owns its line: prepared for a rate on the control thread (where it allocates),
// then run on the audio thread.
class Instance {
public:
    explicit Instance(HostValues policy) noexcept : path(policy) {}

    // A cleared line for rate; false, with the instance as it was, for a rate no line can be sized
    // for or when the memory cannot be had. Never during processing.
    bool prepare(double rate) noexcept;
    bool prepared() const noexcept { return samples != nullptr; }
    float rate() const noexcept { return lineRate; }

    // Forgets the echoes and the filter's state. Never during processing.
    void reset() noexcept;

    // One block with the host's values, counted as the instance's policy says. Does nothing before
    // prepare has succeeded.
    void process(const float (&values)[kNumParams], const AudioBlock& block) noexcept;

    SignalPath& signalPath() noexcept { return path; }

private:
    LineState state() noexcept { return {samples.get(), length, writeIndex, lineRate, filter}; }

    std::unique_ptr<float[]> samples;
    std::int32_t length = 0;
    std::int32_t writeIndex = 0;
    float lineRate = 0.0f;
    float filter[3] = {};
    SignalPath path;
};

} // namespace quadecho
