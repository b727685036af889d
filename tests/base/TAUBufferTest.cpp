#include "base/TAUBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

// Hands out blocks 4 bytes past a 16-byte boundary: aligned for a float, as any allocator's blocks
// are, but never to 16 bytes, so the second step is always needed.
struct MisalignedAllocator {
    static inline int failAfter = -1; // calls that succeed before one fails; none fails after it
    static void* reallocate(void* block, std::size_t bytes)
    {
        if (failAfter >= 0 && failAfter-- == 0)
            return nullptr;
        char* fresh = static_cast<char*>(std::realloc(block ? static_cast<char*>(block) - 4 : nullptr, bytes + 4));
        return fresh ? fresh + 4 : nullptr;
    }
    static void release(void* block) { std::free(static_cast<char*>(block) - 4); }
};

TEST(TAUBuffer, AlignedWithinItsSlackKeptAtTheSameSizeAndValidAfterAFailure)
{
    TAUBuffer<float> buffer;
    EXPECT_EQ(TAUBuffer<char>().size(), 0u);
    EXPECT_FALSE(buffer.Allocate(0xffffffffu));
    EXPECT_EQ(buffer.data(), nullptr) << "a failed first allocation leaves no block";
    ASSERT_TRUE(buffer.Allocate(1000));
    buffer.data()[999] = 5.0f;
    const float* before = buffer.data();
    ASSERT_TRUE(buffer.Allocate(1000));
    EXPECT_EQ(std::tuple(buffer.data(), buffer.data()[999]), std::tuple(before, 5.0f)) << "the same size again";
    ASSERT_TRUE(buffer.AllocateClear(1000));
    EXPECT_EQ(std::tuple(buffer.data(), buffer.data()[999]), std::tuple(before, 0.0f)) << "cleared";
    // 0: the first step fails, the old block stays as it was; 1: only the room for alignment is missing.
    for (auto [failAfter, sizeAfter] : {std::pair{0, 16u}, {1, 64u}}) {
        TAUBuffer<float, MisalignedAllocator> misaligned;
        ASSERT_TRUE(misaligned.AllocateClear(16));
        float* data = misaligned.data();
        EXPECT_EQ(std::tuple(reinterpret_cast<std::uintptr_t>(data) % 16, std::count(data, data + 16, 0.0f)),
                  std::tuple(0u, 16));
        data[3] = 7.0f;
        MisalignedAllocator::failAfter = failAfter;
        EXPECT_FALSE(misaligned.AllocateClear(64));
        EXPECT_EQ(misaligned.size(), sizeAfter);
        if (failAfter == 0) {
            EXPECT_EQ(misaligned.data()[3], 7.0f) << "the old block kept";
        }
        misaligned.data()[sizeAfter - 1] = 1.0f; // the block is valid to its end
    }
}

} // namespace
