#include "platform/Arch.h"
#include "platform/Gestalt.h"

#include <gtest/gtest.h>

namespace {

TEST(Gestalt, AnswersOnlyTheSelectorsOfThisProcessor)
{
    SInt32 response = 0x5a5a5a5a;
#if QUADECHO_ARCH_X86
    ASSERT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), 0);
    EXPECT_TRUE(response & (1 << gestaltX86HasSSE2)); // every processor these builds run on has SSE2
    EXPECT_EQ(Gestalt(gestaltX86AdditionalFeatures, &response), 0);
    EXPECT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), -5551); // gestaltUndefSelectorErr
#elif QUADECHO_ARCH_POWERPC
    ASSERT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), 0);
    EXPECT_EQ(response & ~(1 << gestaltPowerPCHasVectorInstructions), 0);
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), -5551);
#else
    EXPECT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), -5551);
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), -5551);
#endif
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, nullptr), -5551);
}

} // namespace
