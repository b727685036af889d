// Cases that cannot run on some target say so with a visible skip.
#pragma once

#include "platform/Arch.h"

#include <gtest/gtest.h>

// The 32-bit x86 tests run under qemu-i386, where threads and forked children hang.
#define SKIP_WHERE_THREADS_HANG()                                                                                      \
    do {                                                                                                               \
        if (QUADECHO_ARCH_I686)                                                                                        \
            GTEST_SKIP() << "threads hang under qemu-i386, where the 32-bit x86 tests run";                            \
    } while (false)
