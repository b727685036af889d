// The frame loop built for processors with AVX2 and fused multiply-add, chosen at load time
// when the processor has both. Fused products round once instead of twice.
#include "Avx2FmaBuild.h"

#include "Stretches.h"

namespace quadecho {

void runFramesAvx2Fma(const BlockCoefficients& c, DelayLine& line, FilterState& state, const AudioBlock& block) noexcept
{
    frames::runBlock(c, line, state, block);
}

} // namespace quadecho
