// Test executables only. qemu-ppc rejects mffscrn/mffscrni, which glibc's maths functions use
// and which pre-3.0 processors execute as a plain mffs. Give that instruction family its old
// meaning and resume; any other illegal instruction faults again with the default action.
#include "platform/Arch.h"

#if QUADECHO_ARCH_POWERPC

#include <csignal>
#include <cstdint>
#include <cstring>
#include <ucontext.h>

namespace {

void onIllegalInstruction(int signal, siginfo_t*, void* context)
{
    mcontext_t* mc = static_cast<ucontext_t*>(context)->uc_mcontext.uc_regs;
    constexpr int nipIndex = 32;
    const auto nip = static_cast<std::uintptr_t>(mc->gregs[nipIndex]);
    std::uint32_t word = 0;
    std::memcpy(&word, reinterpret_cast<const void*>(nip), sizeof word);
    // The mffs family: primary opcode 63, extended opcode 583, the target register in the five bits
    // below the primary opcode.
    if (word >> 26 == 63 && ((word >> 1) & 0x3ff) == 583) {
        mc->fpregs.fpregs[(word >> 21) & 31] = mc->fpregs.fpscr;
        mc->gregs[nipIndex] = nip + 4;
        return;
    }
    std::signal(signal, SIG_DFL);
}

} // namespace

// Before any other static initialiser can reach the maths library.
__attribute__((constructor(101))) static void installShim()
{
    struct sigaction action {};
    action.sa_sigaction = onIllegalInstruction;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGILL, &action, nullptr);
}

#endif
