#include "SignalPath.h"

#include "DenormalGuard.h"

#include <cmath>

namespace quadecho {

void SignalPath::process(const float (&values)[kNumParams], float hostRate, DelayLine& line, FilterState& state,
                         const AudioBlock& block, KnownValues known) noexcept
{
    const DenormalGuard guard;
    const float rate = isUsableRate(hostRate) ? hostRate : line.rate;
    const BlockCoefficients& c = coefficients.update(values, rate, line.length, known);
    runFrames(loopBuild(), c, line, state, block);
    // A filter driven past its limits by out-of-range values starts again from rest.
    if (!std::isfinite(state.low) || !std::isfinite(state.high) || !std::isfinite(state.band))
        state = {0.0f, 0.0f, 0.0f};
}

void SignalPath::selectLoopBuild(LoopBuild wanted) noexcept
{
    build.store(canRun(wanted) ? wanted : LoopBuild::Portable, std::memory_order_relaxed);
}

} // namespace quadecho
