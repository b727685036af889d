// Flush-to-zero and denormals-are-zero for the lifetime of the guard, restoring the caller's
// mode afterwards. A decaying echo tail otherwise turns denormal, and on many processors each
// denormal operation costs a microcode assist. Elsewhere a no-op.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class DenormalGuard {
public:
    DenormalGuard() noexcept : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
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
