#include "platform/CoreFoundation.h"
#include "tests/support/Skips.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(CoreFoundation, ConstantStringsAreNeverFreedAndArraysRetainTheirStrings)
{
    CFStringRef band = CFSTR("Band");
    CFRelease(CFRetain(band)), CFRelease(band); // constants survive any number of releases
    EXPECT_EQ(CFStringGetLength(band), 4);
    for (CFIndex size : {5, 4}) {
        char buffer[8] = "xxxxxxx";
        EXPECT_EQ(CFStringGetCString(band, buffer, size, kCFStringEncodingUTF8) != 0, size == 5) << size;
        EXPECT_STREQ(buffer, size == 5 ? "Band" : "xxxxxxx") << size; // nothing written on failure
    }
    // No string, or an encoding other than UTF-8.
    char buffer[8];
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 8, kCFStringEncodingUTF8) ||
                 CFStringGetCString(band, buffer, 8, 0));
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "Low", 0), nullptr);
    // Arrays are counted and retain their strings.
    CFStringRef owned = CFStringCreateWithCString(nullptr, "High", kCFStringEncodingUTF8);
    const void* values[] = {CFSTR("Thru"), owned};
    CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    EXPECT_EQ(CFGetRetainCount(owned), 2);
    EXPECT_TRUE(CFStringGetCString(owned, buffer, 8, kCFStringEncodingUTF8) && std::string(buffer) == "High");
    CFRelease(owned); // the array still holds it
    EXPECT_EQ(CFGetRetainCount(CFRetain(array)), 2);
    CFRelease(array);
    EXPECT_TRUE(CFArrayGetCount(array) == 2 && CFArrayGetValueAtIndex(array, 1) == owned);
    EXPECT_TRUE(!CFArrayGetValueAtIndex(array, 2) && !CFArrayGetValueAtIndex(array, -1));
    // Values missing or counted below zero: no array; none at all: an empty one.
    EXPECT_FALSE(CFArrayCreate(nullptr, nullptr, 1, &kCFTypeArrayCallBacks) ||
                 CFArrayCreate(nullptr, values, -1, &kCFTypeArrayCallBacks));
    CFRelease(array);
    array = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    EXPECT_TRUE(array && CFArrayGetCount(array) == 0 && !CFArrayGetValueAtIndex(array, 0));
    CFRelease(array);
}

TEST(CoreFoundation, CreatedStringsAreCountedAcrossThreads)
{
    SKIP_WHERE_THREADS_HANG();
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "Low", kCFStringEncodingUTF8);
    std::vector<std::jthread> threads(4);
    for (auto& t : threads)
        t = std::jthread([s] {
            for (int i = 0; i < 10000; ++i)
                CFRelease(CFRetain(s));
        });
    threads.clear(); // joins them
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s); // the leak checker of the sanitizer build sees anything left behind
}

} // namespace
