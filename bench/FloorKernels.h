// Reference loops the audio path is measured against, built from the core's own parts with the
// core's compiler options.
#pragma once

#include "core/Coefficients.h"

#include <cstdint>

namespace bench {

// The part of a frame nothing can overlap: the clip of the loop input and the three filter
// updates, each needing the one before. Returns the state so that none of it is optimised away.
float filterFloor(const float* loopInput, std::uint32_t frames, float f, float damping, quadecho::FilterState& state);

// The frame loop exactly as first written: four signed remainders per frame, the old output
// multiplied in even when replacing.
void literalLoop(const quadecho::BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& w,
                 quadecho::FilterState& state, const float* inL, const float* inR, float* outL, float* outR,
                 std::uint32_t frames, bool accumulate);

} // namespace bench
