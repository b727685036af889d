#include "FrameLoop.h"

#include "FrameLoops.h"
#include "platform/Arch.h"

#if QUADECHO_ARCH_X86
#include "WideFrameLoop.h"
#endif

namespace quadecho {

#if QUADECHO_ARCH_X86
namespace {

// Asked once, when the module is loaded: never on the audio thread.
bool detectWide() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

const bool kWideAvailable = detectWide();

} // namespace

bool canRun(FrameLoop loop) noexcept { return loop == FrameLoop::Portable || kWideAvailable; }
#else
bool canRun(FrameLoop loop) noexcept { return loop == FrameLoop::Portable; }
#endif

FrameLoop bestFrameLoop() noexcept { return canRun(FrameLoop::Wide) ? FrameLoop::Wide : FrameLoop::Portable; }

void runFrames(FrameLoop loop, const BlockCoefficients& c, DelayLine& line, FilterState& state,
               const AudioBlock& block) noexcept
{
#if QUADECHO_ARCH_X86
    if (loop == FrameLoop::Wide && kWideAvailable) {
        runFramesWide(c, line, state, block);
        return;
    }
#else
    (void)loop;
#endif
    frames::runFrames(c, line, state, block);
}

} // namespace quadecho
