// The small part of Core Foundation the effect uses where the real one is absent: immutable
// strings (constant or created), arrays of them, UTF-8 conversion into a caller's buffer and
// thread-safe reference counting. Constant strings are never freed.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

using Boolean = unsigned char;
using CFIndex = long;
using CFStringEncoding = std::uint32_t;
using CFTypeRef = const void*;

constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

// Every object starts with this header.
struct CFObjectHeader {
    mutable std::atomic<std::int32_t> refCount;
    std::uint8_t typeId;
    bool isConstant;
};

struct CFStringImpl {
    CFObjectHeader header;
    const char* bytes; // UTF-8, zero-terminated
    CFIndex length;    // in bytes, without the terminator
};

struct CFArrayImpl;
struct CFAllocatorImpl;
struct CFArrayCallBacks;

using CFStringRef = const CFStringImpl*;
using CFArrayRef = const CFArrayImpl*;
using CFAllocatorRef = const CFAllocatorImpl*;

namespace cf_detail {
constexpr std::uint8_t kStringType = 1;
constexpr std::uint8_t kArrayType = 2;
} // namespace cf_detail

// A constant string over text that lives as long as the program (a literal, a constant table's
// text): made without allocation, at compile time, and never released.
constexpr CFStringImpl CFConstantString(const char* text) noexcept
{
    return {{{1}, cf_detail::kStringType, true}, text, static_cast<CFIndex>(std::char_traits<char>::length(text))};
}

// A constant string from a literal: one static object per use.
#define CFSTR(literal)                                                                                                 \
    ([]() -> CFStringRef {                                                                                             \
        static constinit const CFStringImpl constantString = CFConstantString("" literal "");                          \
        return &constantString;                                                                                        \
    }())

extern const CFArrayCallBacks kCFTypeArrayCallBacks;
constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);

// A new string holding a copy of a zero-terminated UTF-8 text; null if it cannot be made.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
CFIndex CFStringGetLength(CFStringRef string);
// Writes the text and its terminator into buffer when both fit in bufferSize bytes; otherwise
// returns false.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);

// A new array retaining each of its values; null if it cannot be made.
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
