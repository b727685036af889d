#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
Calls gCalls;

void listenerF(void* userData, VelqAuBase*, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    gCalls.push_back("f" + std::string(static_cast<const char*>(userData)) + std::to_string(id) + "/" +
                     std::to_string(scope) + "/" + std::to_string(element));
}

void listenerG(void* userData, VelqAuBase*, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
    gCalls.push_back("g" + std::string(static_cast<const char*>(userData)) + std::to_string(id));
}

// Accepts property 64 only.
class SettableBase : public VelqAuBase {
public:
    SettableBase() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory) {}
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                         UInt32 size) override
    {
        return id == 64 ? 0 : VelqAuBase::SetProperty(id, scope, element, data, size);
    }
};

struct Listeners : ::testing::Test {
    void SetUp() override { gCalls.clear(); }
    SettableBase base;
    char a[2] = "a", b[2] = "b", c[2] = "c";
};

TEST_F(Listeners, NotifiedInRegistrationOrderWithTheirOwnData)
{
    base.AddPropertyListener(7, listenerF, a);
    base.AddPropertyListener(7, listenerG, b);
    base.AddPropertyListener(8, listenerF, b);
    base.AddPropertyListener(7, listenerF, c);
    base.PropertyChanged(7, 1, 2);
    base.PropertyChanged(9, 0, 0);
    EXPECT_EQ(gCalls, (Calls{"fa7/1/2", "gb7", "fc7/1/2"}));
}

TEST_F(Listeners, RemovalMatchesPropertyAndCallbackWhateverTheData)
{
    base.AddPropertyListener(7, listenerF, a);
    base.AddPropertyListener(7, listenerF, b);
    base.AddPropertyListener(8, listenerF, a);
    base.AddPropertyListener(7, listenerG, c);
    EXPECT_EQ(base.RemovePropertyListener(7, listenerF), 0);
    EXPECT_EQ(base.RemovePropertyListener(99, listenerG), 0); // nothing registered: still success
    base.PropertyChanged(7, 0, 0);
    base.PropertyChanged(8, 0, 0);
    EXPECT_EQ(gCalls, (Calls{"gc7", "fa8/0/0"}));
}

TEST_F(Listeners, SetPropertyNotifiesOnlyOnSuccess)
{
    AudioUnitAddPropertyListener(&base, 64, listenerF, a);
    AudioUnitAddPropertyListener(&base, 65, listenerF, b);
    EXPECT_EQ(AudioUnitSetProperty(&base, 65, 0, 0, nullptr, 0), kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(AudioUnitSetProperty(&base, 64, 3, 4, nullptr, 0), 0);
    AudioUnitRemovePropertyListener(&base, 64, listenerF);
    AudioUnitSetProperty(&base, 64, 0, 0, nullptr, 0);
    EXPECT_EQ(gCalls, (Calls{"fa64/3/4"}));
}

TEST(Properties, BaseAnswersNoPropertyAndWritesNothing)
{
    VelqAuBase base(nullptr, 1, VelqProgramBasic::Factory);
    for (AudioUnitPropertyID id : {0u, 29u, 33u, 0xffffffffu}) {
        UInt32 size = 1234, ioSize = 99;
        unsigned char writable = 7;
        int data = 42;
        EXPECT_EQ(AudioUnitGetPropertyInfo(&base, id, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
        EXPECT_EQ(AudioUnitGetProperty(&base, id, 0, 0, &data, &ioSize), kAudioUnitErr_InvalidProperty);
        EXPECT_EQ(std::make_tuple(size, writable, ioSize, data), std::make_tuple(1234u, 7, 99u, 42));
    }
    CFArrayRef strings = reinterpret_cast<CFArrayRef>(&base);
    EXPECT_EQ(base.GetParameterValueStrings(0, quadecho::kFilterType, &strings), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(strings, reinterpret_cast<CFArrayRef>(&base));
}

} // namespace
