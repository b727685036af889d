// Flush-to-zero and denormals-are-zero for the lifetime of the guard, restoring the caller's
// mode afterwards. A decaying echo tail otherwise turns denormal, and on many processors each
// denormal operation costs a microcode assist. On ARM the FZ bit of the floating-point control
// register does both. On PowerPC the host's mode is left as it is.
#pragma once

#include "platform/Arch.h"

#if QUADECHO_ARCH_X86
#include <xmmintrin.h>
#endif

namespace quadecho {

#if QUADECHO_ARCH_X86

class DenormalGuard {
public:
    // Hosts often run with both modes set already: then the control register is left alone.
    DenormalGuard() noexcept : saved(_mm_getcsr())
    {
        if ((saved | kModes) != saved)
            _mm_setcsr(saved | kModes);
    }
    ~DenormalGuard()
    {
        if ((saved | kModes) != saved)
            _mm_setcsr(saved);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    static constexpr unsigned kModes = kFlushToZero | kDenormalsAreZero;
    unsigned saved;
};
#elif QUADECHO_ARCH_AARCH64
class DenormalGuard {
public:
    // Hosts often run with flush-to-zero set already: then the control register is left alone.
    DenormalGuard() noexcept : saved(__builtin_aarch64_get_fpcr64())
    {
        if ((saved & kFlushToZero) == 0)
            __builtin_aarch64_set_fpcr64(saved | kFlushToZero);
    }
    ~DenormalGuard()
    {
        if ((saved & kFlushToZero) == 0)
            __builtin_aarch64_set_fpcr64(saved);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned long long kFlushToZero = 1ull << 24; // FPCR.FZ
    unsigned long long saved;
};
#elif QUADECHO_ARCH_POWERPC
class DenormalGuard {
public:
    DenormalGuard() noexcept {}
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
#else
#error "DenormalGuard: say how the audio path keeps clear of denormals on this processor"
#endif

} // namespace quadecho
