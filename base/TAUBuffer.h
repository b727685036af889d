// A heap buffer whose data start on a 16-byte boundary. Sizing may allocate: never call
// Allocate or AllocateClear from the audio thread.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

// The allocator behind TAUBuffer; tests substitute one that fails.
struct CAllocator {
    static void* reallocate(void* block, std::size_t bytes) { return std::realloc(block, bytes); }
    static void release(void* block) { std::free(block); }
};

template <typename T, typename Allocator = CAllocator> class TAUBuffer {
public:
    TAUBuffer() = default;
    ~TAUBuffer() { Release(); }
    TAUBuffer(const TAUBuffer&) = delete;
    TAUBuffer& operator=(const TAUBuffer&) = delete;

    // Sizes the buffer for numElements. An unchanged size keeps pointers and contents; after a
    // change the contents are not kept. On failure the buffer keeps a valid block and the call
    // answers false: the old block and size when nothing could be allocated, or the unaligned
    // new block when only the room for alignment was missing.
    bool Allocate(std::uint32_t numElements)
    {
        const std::uint64_t wanted = std::uint64_t(numElements) * sizeof(T);
        if (wanted > UINT32_MAX - 15u)
            return false;
        const auto bytes = static_cast<std::uint32_t>(wanted);
        if (rawMemory && bytes == byteCount)
            return true;
        void* block = Allocator::reallocate(rawMemory, bytes ? bytes : 1);
        if (!block)
            return false;
        rawMemory = block;
        byteCount = bytes;
        alignedBuffer = static_cast<T*>(rawMemory);
        if (reinterpret_cast<std::uintptr_t>(rawMemory) % 16 == 0)
            return true;
        block = Allocator::reallocate(rawMemory, std::size_t(bytes) + 15);
        if (!block)
            return false;
        rawMemory = block;
        const auto address = reinterpret_cast<std::uintptr_t>(rawMemory);
        alignedBuffer = reinterpret_cast<T*>((address + 15) & ~std::uintptr_t(15));
        return true;
    }

    // Allocate, then zero the whole buffer; clears nothing when Allocate failed.
    bool AllocateClear(std::uint32_t numElements)
    {
        if (!Allocate(numElements))
            return false;
        std::memset(static_cast<void*>(alignedBuffer), 0, byteCount);
        return true;
    }

    void Release()
    {
        if (rawMemory) {
            Allocator::release(rawMemory);
            rawMemory = nullptr;
            alignedBuffer = nullptr;
            byteCount = 0;
        }
    }

    void swap(TAUBuffer& other) noexcept
    {
        std::swap(rawMemory, other.rawMemory);
        std::swap(alignedBuffer, other.alignedBuffer);
        std::swap(byteCount, other.byteCount);
    }

    T* data() const { return alignedBuffer; }
    std::uint32_t size() const { return byteCount / sizeof(T); }
    const void* raw() const { return rawMemory; }

private:
    void* rawMemory = nullptr;
    T* alignedBuffer = nullptr;
    std::uint32_t byteCount = 0;
};
