#include "CoreFoundation.h"

#include <cstdlib>
#include <cstring>
#include <new>

struct CFArrayCallBacks {
    int unused;
};
const CFArrayCallBacks kCFTypeArrayCallBacks{0};

struct CFArrayImpl {
    CFObjectHeader header;
    CFIndex count;
    const void** values;
};

namespace {

const CFObjectHeader* headerOf(CFTypeRef object) { return static_cast<const CFObjectHeader*>(object); }

void destroy(const CFObjectHeader* header)
{
    if (header->typeId == cf_detail::kStringType) {
        auto string = reinterpret_cast<const CFStringImpl*>(header);
        std::free(const_cast<char*>(string->bytes));
        delete string;
    } else if (header->typeId == cf_detail::kArrayType) {
        auto array = reinterpret_cast<const CFArrayImpl*>(header);
        for (CFIndex i = 0; i < array->count; ++i)
            CFRelease(array->values[i]);
        delete[] array->values;
        delete array;
    }
}

} // namespace

CFTypeRef CFRetain(CFTypeRef object)
{
    const CFObjectHeader* header = headerOf(object);
    if (header && !header->isConstant)
        header->refCount.fetch_add(1, std::memory_order_relaxed);
    return object;
}

void CFRelease(CFTypeRef object)
{
    const CFObjectHeader* header = headerOf(object);
    if (!header || header->isConstant)
        return;
    if (header->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
        destroy(header);
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
    const CFObjectHeader* header = headerOf(object);
    return header ? header->refCount.load(std::memory_order_relaxed) : 0;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding)
{
    if (!text || encoding != kCFStringEncodingUTF8)
        return nullptr;
    const std::size_t length = std::strlen(text);
    auto bytes = static_cast<char*>(std::malloc(length + 1));
    if (!bytes)
        return nullptr;
    std::memcpy(bytes, text, length + 1);
    auto string =
        new (std::nothrow) CFStringImpl{{{1}, cf_detail::kStringType, false}, bytes, static_cast<CFIndex>(length)};
    if (!string)
        std::free(bytes);
    return string;
}

CFIndex CFStringGetLength(CFStringRef string) { return string ? string->length : 0; }

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    if (!string || !buffer || encoding != kCFStringEncodingUTF8 || bufferSize <= string->length)
        return false;
    std::memcpy(buffer, string->bytes, static_cast<std::size_t>(string->length) + 1);
    return true;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFArrayCallBacks*)
{
    if (numValues < 0 || (numValues > 0 && !values))
        return nullptr;
    auto array = new (std::nothrow) CFArrayImpl{{{1}, cf_detail::kArrayType, false}, numValues, nullptr};
    if (!array)
        return nullptr;
    array->values = new (std::nothrow) const void*[numValues > 0 ? numValues : 1];
    if (!array->values) {
        delete array;
        return nullptr;
    }
    for (CFIndex i = 0; i < numValues; ++i)
        array->values[i] = CFRetain(values[i]);
    return array;
}

CFIndex CFArrayGetCount(CFArrayRef array) { return array ? array->count : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index)
{
    if (!array || index < 0 || index >= array->count)
        return nullptr;
    return array->values[index];
}
