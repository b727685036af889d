#include "CAVectorUnit.h"

#include "platform/Arch.h"
#include "platform/RelaxedAtomic.h"

std::int32_t CAVectorUnit::sVectorUnitType = CAVectorUnit::kUndetermined;
OSErr (*CAVectorUnit::sGestalt)(OSType, SInt32*) = Gestalt;

namespace {

[[maybe_unused]] bool hasBit(OSType selector, int bit)
{
    SInt32 response = 0;
    return CAVectorUnit::sGestalt(selector, &response) == noErr && (response >> bit) & 1;
}

} // namespace

std::int32_t CAVectorUnit::CheckVectorUnit()
{
    std::int32_t result = kNone;
#if QUADECHO_ARCH_POWERPC
    if (hasBit(gestaltPowerPCProcessorFeatures, gestaltPowerPCHasVectorInstructions))
        result = kAltiVec;
#elif QUADECHO_ARCH_X86
    if (hasBit(gestaltX86ProcessorFeatures, gestaltX86HasSSE2))
        result = kSSE2;
    // Asked whatever the first answer was.
    if (hasBit(gestaltX86AdditionalFeatures, gestaltX86HasSSE3))
        result = kSSE3;
#endif
    // Other processors have no row here: on ARM the answer is none, though every aarch64 processor
    // has NEON (which the frame loops use through the compiler's vector types, not through this).
    storeRelaxed(sVectorUnitType, result);
    return result;
}
