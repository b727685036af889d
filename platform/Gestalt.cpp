#include "Gestalt.h"

#include "Arch.h"

#if QUADECHO_ARCH_X86
#include <cpuid.h>
#elif QUADECHO_ARCH_POWERPC
#include <sys/auxv.h>
#endif

OSErr Gestalt(OSType selector, SInt32* response)
{
    if (!response)
        return gestaltUndefSelectorErr;
#if QUADECHO_ARCH_X86
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (selector == gestaltX86ProcessorFeatures || selector == gestaltX86AdditionalFeatures) {
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
            return gestaltUndefSelectorErr;
        *response = static_cast<SInt32>(selector == gestaltX86ProcessorFeatures ? edx : ecx);
        return noErr;
    }
#elif QUADECHO_ARCH_POWERPC
    if (selector == gestaltPowerPCProcessorFeatures) {
        constexpr unsigned long hwcapAltivec = 0x10000000; // PPC_FEATURE_HAS_ALTIVEC
        const unsigned long hwcap = getauxval(AT_HWCAP);
        *response = (hwcap & hwcapAltivec) ? (1 << gestaltPowerPCHasVectorInstructions) : 0;
        return noErr;
    }
#else
    (void)selector; // no selector this stand-in answers on other processors
#endif
    return gestaltUndefSelectorErr;
}
