#include "platform/Arch.h"
#include "platform/CoreFoundation.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(CoreFoundation, ConstantStringsConvertAndAreNeverFreed)
{
    CFStringRef name = CFSTR("Master feedback");
    EXPECT_EQ(CFStringGetLength(name), 15);
    for (int i = 0; i < 3; ++i)
        CFRelease(name); // constants survive any number of releases
    char buffer[16];
    ASSERT_TRUE(CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer, "Master feedback");
}

TEST(CoreFoundation, ConversionNeedsRoomForTheTerminator)
{
    for (CFIndex size : {5, 4, 1, 0, -1}) {
        char buffer[8] = "xxxxxxx";
        const bool fits = size == 5;
        EXPECT_EQ(CFStringGetCString(CFSTR("Band"), buffer, size, kCFStringEncodingUTF8) != 0, fits) << size;
        EXPECT_STREQ(buffer, fits ? "Band" : "xxxxxxx") << size; // nothing written on failure
    }
    char buffer[8];
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 8, kCFStringEncodingUTF8));
    EXPECT_FALSE(CFStringGetCString(CFSTR("Low"), buffer, 8, 0));
}

TEST(CoreFoundation, CreatedStringsAreCountedAcrossThreads)
{
#if QUADECHO_ARCH_I686
    GTEST_SKIP() << "threads hang under qemu-i386, where the 32-bit x86 tests run";
#endif
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "Low", kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([s] {
            for (int i = 0; i < 10000; ++i) {
                CFRetain(s);
                CFRelease(s);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s); // the leak checker of the sanitizer build sees anything left behind
}

TEST(CoreFoundation, ArraysRetainTheirStrings)
{
    CFStringRef owned = CFStringCreateWithCString(nullptr, "High", kCFStringEncodingUTF8);
    const void* values[] = {CFSTR("Thru"), owned};
    CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    ASSERT_NE(array, nullptr);
    CFRelease(owned); // the array still holds it
    EXPECT_EQ(CFArrayGetCount(array), 2);
    char buffer[8];
    ASSERT_TRUE(CFStringGetCString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, 1)), buffer, 8,
                                   kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer, "High");
    EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), nullptr);
    EXPECT_EQ(CFArrayGetValueAtIndex(array, -1), nullptr);
    CFRelease(array);
}

} // namespace
