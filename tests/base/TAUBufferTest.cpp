#include "base/TAUBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

bool isAligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 16 == 0; }

TEST(TAUBuffer, SameSizeKeepsPointersAndContentsAndImpossibleSizesAreRefused)
{
    TAUBuffer<float> buffer;
    EXPECT_FALSE(buffer.Allocate(0xffffffffu));
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 0u);
    ASSERT_TRUE(buffer.Allocate(1000));
    EXPECT_TRUE(isAligned(buffer.data()));
    buffer.data()[999] = 5.0f;
    const float* before = buffer.data();
    ASSERT_TRUE(buffer.Allocate(1000));
    EXPECT_EQ(buffer.data(), before);
    EXPECT_EQ(buffer.data()[999], 5.0f);
    ASSERT_TRUE(buffer.AllocateClear(1000));
    EXPECT_EQ(buffer.data(), before);
    EXPECT_EQ(buffer.data()[999], 0.0f);
}

// Hands out blocks that are never 16-byte aligned, so the second step is always needed.
struct MisalignedAllocator {
    static inline int failAfter = -1; // calls that succeed before one fails
    static inline int calls = 0;
    static void* reallocate(void* block, std::size_t bytes)
    {
        if (failAfter >= 0 && calls++ >= failAfter)
            return nullptr;
        char* base = block ? static_cast<char*>(block) - 4 : nullptr;
        auto fresh = static_cast<char*>(std::realloc(base, bytes + 4));
        return fresh ? fresh + 4 : nullptr;
    }
    static void release(void* block) { std::free(static_cast<char*>(block) - 4); }
};

TEST(TAUBuffer, MisalignedBlocksAreAlignedWithinTheirSlack)
{
    MisalignedAllocator::failAfter = -1;
    for (std::uint32_t n : {1u, 3u, 88200u, 0u}) {
        TAUBuffer<float, MisalignedAllocator> buffer;
        ASSERT_TRUE(buffer.AllocateClear(n));
        EXPECT_TRUE(isAligned(buffer.data()));
        EXPECT_EQ(buffer.size(), n);
        for (std::uint32_t i = 0; i < n; ++i)
            ASSERT_EQ(buffer.data()[i], 0.0f);
    }
}

TEST(TAUBuffer, FailedAllocationKeepsAValidBlock)
{
    // 0: the first step fails, the old block stays uncleared; 1: only the room for alignment is missing.
    for (int failAfter : {0, 1}) {
        MisalignedAllocator::failAfter = -1;
        TAUBuffer<float, MisalignedAllocator> buffer;
        ASSERT_TRUE(buffer.AllocateClear(16));
        buffer.data()[3] = 7.0f;
        MisalignedAllocator::calls = 0;
        MisalignedAllocator::failAfter = failAfter;
        EXPECT_FALSE(buffer.AllocateClear(64));
        const std::uint32_t sizeAfter = failAfter == 0 ? 16 : 64;
        EXPECT_EQ(buffer.size(), sizeAfter);
        if (failAfter == 0) {
            EXPECT_EQ(buffer.data()[3], 7.0f);
        }
        buffer.data()[sizeAfter - 1] = 1.0f; // the block is valid to its end
        MisalignedAllocator::failAfter = -1;
    }
}

} // namespace
