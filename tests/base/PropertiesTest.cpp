#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

std::string gHeard;

// Two callbacks, told apart by their tag; each logs its data, property, scope and element.
template <char Tag>
void listener(void* data, VelqAuBase*, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    gHeard += std::string{Tag, *static_cast<const char*>(data)} + std::to_string(id * 100 + scope * 10 + element) + " ";
}

// Accepts property 64 only; the base itself has no property to give or take.
struct SettableBase : VelqAuBase {
    SettableBase() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory) {}
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, const void*, UInt32) override
    {
        return id == 64 ? noErrStatus : kAudioUnitErr_InvalidProperty;
    }
};

TEST(Properties, ListenersAreToldInOrderAndRemovedByPropertyAndCallbackWhateverTheirData)
{
    SettableBase base;
    gHeard.clear();
    char a[] = "a", b[] = "b", c[] = "c";
    const std::tuple<AudioUnitPropertyID, PropertyListenerProc, char*> rows[] = {
        {7, listener<'x'>, a}, {7, listener<'y'>, b},  {8, listener<'x'>, b},
        {7, listener<'x'>, c}, {64, listener<'x'>, a}, {65, listener<'x'>, b}};
    for (auto [id, proc, data] : rows)
        EXPECT_EQ(AudioUnitAddPropertyListener(&base, id, proc, data), 0);
    base.PropertyChanged(7, 1, 2);
    EXPECT_EQ(AudioUnitRemovePropertyListener(&base, 7, listener<'x'>), 0);
    base.PropertyChanged(7, 0, 0);
    base.PropertyChanged(8, 0, 0);
    // Only a successful SetProperty tells the listeners.
    // The statuses as Apple numbers them: 0, and kAudioUnitErr_InvalidProperty -10879.
    EXPECT_EQ(AudioUnitSetProperty(&base, 65, 0, 0, nullptr, 0), -10879);
    EXPECT_EQ(AudioUnitSetProperty(&base, 64, 3, 4, nullptr, 0), 0);
    EXPECT_EQ(gHeard, "xa712 yb712 xc712 yb700 xb800 xa6434 ");
    auto [size, writable] = std::pair<UInt32, unsigned char>{};
    EXPECT_EQ(AudioUnitGetPropertyInfo(&base, 64, 0, 0, &size, &writable), -10879);
    EXPECT_EQ(AudioUnitGetProperty(&base, 64, 0, 0, nullptr, nullptr), -10879);
}

} // namespace
