#include "RunFrames.h"

#include "Stretches.h"
#include "platform/Arch.h"

#if QUADECHO_ARCH_X86
#include "Avx2FmaBuild.h"
#endif

namespace quadecho {

#if QUADECHO_ARCH_X86
namespace {

// Asked once, when the module is loaded: never on the audio thread.
bool detectAvx2Fma() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

const bool kAvx2FmaAvailable = detectAvx2Fma();

} // namespace

bool canRun(LoopBuild loop) noexcept { return loop == LoopBuild::Portable || kAvx2FmaAvailable; }
#else
bool canRun(LoopBuild loop) noexcept { return loop == LoopBuild::Portable; }
#endif

LoopBuild bestLoopBuild() noexcept { return canRun(LoopBuild::Avx2Fma) ? LoopBuild::Avx2Fma : LoopBuild::Portable; }

void runFrames(LoopBuild loop, const BlockCoefficients& c, DelayLine& line, FilterState& state,
               const AudioBlock& block) noexcept
{
#if QUADECHO_ARCH_X86
    if (loop == LoopBuild::Avx2Fma && kAvx2FmaAvailable) {
        runFramesAvx2Fma(c, line, state, block);
        return;
    }
#else
    (void)loop;
#endif
    frames::runBlock(c, line, state, block);
}

} // namespace quadecho
