// Which processor this build is for, as cmake/Arch.cmake states it through quadecho_flags. Code
// tests QUADECHO_ARCH_X86, _X86_64, _I686, _POWERPC and _AARCH64 (each 0 or 1), not the compiler's processor
// macros, and includes this header first: a file built without the definitions stops here
// instead of quietly taking the branch for no processor. Only this header reads the compiler's
// macros, to check that the compiler builds for the processor the build names.
#pragma once

#if !defined(QUADECHO_ARCH_X86) || !defined(QUADECHO_ARCH_X86_64) || !defined(QUADECHO_ARCH_I686) ||                   \
    !defined(QUADECHO_ARCH_POWERPC) || !defined(QUADECHO_ARCH_AARCH64)
#error "QUADECHO_ARCH_* are not defined: the target must link quadecho_flags (cmake/Arch.cmake)"
#elif QUADECHO_ARCH_X86_64 + QUADECHO_ARCH_I686 + QUADECHO_ARCH_POWERPC + QUADECHO_ARCH_AARCH64 != 1 ||                \
    QUADECHO_ARCH_X86 != (QUADECHO_ARCH_X86_64 || QUADECHO_ARCH_I686)
#error "QUADECHO_ARCH_* contradict each other"
// A toolchain file that names one processor and a compiler that builds for another would
// otherwise give a module that fails only in a host.
#elif (QUADECHO_ARCH_X86_64 && !defined(__x86_64__)) || (QUADECHO_ARCH_I686 && !defined(__i386__)) ||                  \
    (QUADECHO_ARCH_POWERPC && (!defined(__powerpc__) || defined(__powerpc64__))) ||                                    \
    (QUADECHO_ARCH_AARCH64 && !defined(__aarch64__))
#error "the compiler builds for another processor than the one the build is configured for"
// Single precision stays single precision on 32-bit x86 too: SSE2, never the x87 stack.
#elif QUADECHO_ARCH_X86 && !defined(__SSE2_MATH__)
#error "x86 builds need SSE2 arithmetic (-msse2 -mfpmath=sse, as cmake/toolchain-i686.cmake sets)"
#endif
