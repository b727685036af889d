#include "platform/Arch.h"
#include "platform/Gestalt.h"

#include <gtest/gtest.h>

namespace {

TEST(Gestalt, AnswersOnlyTheSelectorsOfThisProcessor)
{
    SInt32 response = 0x5a5a5a5a;
#if QUADECHO_ARCH_X86
    ASSERT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), noErr);
    EXPECT_TRUE(response & (1 << gestaltX86HasSSE2)); // every processor these builds run on has SSE2
    EXPECT_EQ(Gestalt(gestaltX86AdditionalFeatures, &response), noErr);
    EXPECT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), gestaltUndefSelectorErr);
#elif QUADECHO_ARCH_POWERPC
    ASSERT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), noErr);
    EXPECT_EQ(response & ~(1 << gestaltPowerPCHasVectorInstructions), 0);
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), gestaltUndefSelectorErr);
#else
    EXPECT_EQ(Gestalt(gestaltPowerPCProcessorFeatures, &response), gestaltUndefSelectorErr);
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, &response), gestaltUndefSelectorErr);
#endif
    EXPECT_EQ(Gestalt(gestaltX86ProcessorFeatures, nullptr), gestaltUndefSelectorErr);
}

} // namespace
