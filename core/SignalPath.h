// One block of the signal path, as every host interface runs it: the coefficients for the values
// of this block (reused while nothing changes), the frames through the line, and the filter
// started again from rest when out-of-range values drove it past its limits. The caller owns the
// line and the state; this keeps what the blocks share.
#pragma once

#include "Coefficients.h"
#include "RunFrames.h"
#include "Types.h"

#include <atomic>

namespace quadecho {

class SignalPath {
public:
    // policy: how the host's values count, chosen by the host interface.
    explicit SignalPath(HostValues policy) noexcept : coefficients(policy) {}

    // values: the real parameter values as read at the start of the block, counted as the policy
    // says. hostRate: the rate the host runs at; one that no line can be sized
    // for (zero, negative, not a number) computes with the line's. known: whether the caller
    // knows the values to be its last block's. Runs on the audio thread, with flush-to-zero for
    // its duration.
    void process(const float (&values)[kNumParams], float hostRate, DelayLine& line, FilterState& state,
                 const AudioBlock& block, KnownValues known = KnownValues::MayHaveChanged) noexcept;

    // The build of the frame loop: the processor's best unless a test or a benchmark picks
    // another (the portable one where the processor cannot run the one asked for).
    void selectLoopBuild(LoopBuild wanted) noexcept;
    LoopBuild loopBuild() const noexcept { return build.load(std::memory_order_relaxed); }

private:
    CoefficientUpdater coefficients;
    std::atomic<LoopBuild> build{bestLoopBuild()};
};

} // namespace quadecho
