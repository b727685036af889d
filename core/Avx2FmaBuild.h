// The frame loop built for x86 processors with AVX2 and fused multiply-add (Avx2FmaBuild.cpp);
// only runFrames calls it, where the processor has both.
#pragma once

#include "Coefficients.h"
#include "Types.h"

namespace quadecho {

void runFramesAvx2Fma(const BlockCoefficients& c, DelayLine& line, FilterState& state,
                      const AudioBlock& block) noexcept;

} // namespace quadecho
