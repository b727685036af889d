// The frame loop: a block's frames through the line with the block's coefficients, in the build
// of the loop the processor runs best or the one asked for.
#pragma once

#include "Coefficients.h"
#include "Types.h"

namespace quadecho {

// The best build this processor runs, found once when the module loads.
LoopBuild bestLoopBuild() noexcept;
bool canRun(LoopBuild loop) noexcept;

// Runs the block through the line with the given build (the portable one where this processor
// cannot run it); advances the line's write index and the filter state. With accumulate false
// the outputs are written without being read, so leftovers in a host's buffer never leak in.
void runFrames(LoopBuild loop, const BlockCoefficients& c, DelayLine& line, FilterState& state,
               const AudioBlock& block) noexcept;

} // namespace quadecho
