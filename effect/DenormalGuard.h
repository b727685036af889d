// Flush-to-zero and denormals-are-zero for the lifetime of the guard, restoring the caller's
// mode afterwards. A decaying echo tail otherwise turns denormal, and on many processors each
// denormal operation costs a microcode assist. Elsewhere a no-op.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

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
#else
class DenormalGuard {
public:
    DenormalGuard() noexcept {}
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
#endif
