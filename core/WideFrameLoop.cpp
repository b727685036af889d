// The frame loop built for processors with AVX2 and fused multiply-add, chosen at load time
// when the processor has both. Fused products round once instead of twice.
#include "WideFrameLoop.h"

#include "FrameLoops.h"

namespace quadecho {

void runFramesWide(const BlockCoefficients& c, DelayLine& line, FilterState& state, const AudioBlock& block) noexcept
{
    frames::runFrames(c, line, state, block);
}

} // namespace quadecho
