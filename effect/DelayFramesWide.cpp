// The frame loop built for processors with AVX2 and fused multiply-add, chosen at load time
// when the processor has both. Fused products round once instead of twice.
#include "DelayFrames.h"

namespace quadecho {

void runFramesWide(const BlockCoefficients& c, float* line, std::int32_t lineLength, std::int32_t& writeIndex,
                   FilterState& state, const Channels& io, std::uint32_t frames, bool accumulate) noexcept
{
    frames::runFrames(c, line, lineLength, writeIndex, state, io, frames, accumulate);
}

} // namespace quadecho
