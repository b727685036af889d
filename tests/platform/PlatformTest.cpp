#include "platform/CoreFoundation.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(CoreFoundation, ConstantStringsAreNeverFreedAndArraysRetainTheirStrings)
{
    CFStringRef band = CFSTR("Band"), owned = CFStringCreateWithCString(nullptr, "High", kCFStringEncodingUTF8);
    CFRelease(CFRetain(band));
    CFRelease(band); // constants survive any number of releases
    EXPECT_EQ(CFStringGetLength(band), 4);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "Low", 0), nullptr); // UTF-8 only
    // A buffer too small, no string, or an encoding other than UTF-8: nothing written.
    const std::tuple<CFStringRef, CFIndex, CFStringEncoding, const char*> conversions[] = {
        {band, 5, kCFStringEncodingUTF8, "Band"},
        {owned, 5, kCFStringEncodingUTF8, "High"},
        {band, 4, kCFStringEncodingUTF8, "xxxxxxx"},
        {nullptr, 8, kCFStringEncodingUTF8, "xxxxxxx"},
        {band, 8, 0, "xxxxxxx"}};
    for (const auto& [string, size, encoding, text] : conversions) {
        SCOPED_TRACE(::testing::Message() << size << " bytes, encoding " << encoding << ", string " << string);
        char buffer[8] = "xxxxxxx";
        EXPECT_EQ(CFStringGetCString(string, buffer, size, encoding) != 0, *text != 'x');
        EXPECT_STREQ(buffer, text);
    }
    // Arrays are counted and retain their strings.
    const void* values[] = {CFSTR("Thru"), owned};
    CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    EXPECT_EQ(CFGetRetainCount(owned), 2);
    CFRelease(owned); // the array still holds it
    EXPECT_EQ(CFGetRetainCount(CFRetain(array)), 2);
    CFRelease(array);
    EXPECT_EQ(std::tuple(CFArrayGetCount(array), CFArrayGetValueAtIndex(array, 1), CFArrayGetValueAtIndex(array, 2),
                         CFArrayGetValueAtIndex(array, -1)),
              std::tuple(2, owned, nullptr, nullptr));
    // Values missing or counted below zero: no array; none at all: an empty one.
    EXPECT_EQ(CFArrayCreate(nullptr, nullptr, 1, &kCFTypeArrayCallBacks), nullptr);
    EXPECT_EQ(CFArrayCreate(nullptr, values, -1, &kCFTypeArrayCallBacks), nullptr);
    CFRelease(array);
    array = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(std::tuple(CFArrayGetCount(array), CFArrayGetValueAtIndex(array, 0)), std::tuple(0, nullptr));
    CFRelease(array);
}

} // namespace
