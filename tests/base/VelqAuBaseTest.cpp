// What tests/effect does not already show through the dispatcher: every program's start, program
// numbers set directly, creation failures and property listeners.
#include "base/VelqAuBase.h"
#include "testing/RealtimeScope.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace quadecho::testhost;

namespace {

int gLivePrograms = 0, gProgramsMade = 0, gFailAt = -1, gStray = 0;

struct CountedProgram : VelqProgramBasic {
    CountedProgram() { ++gLivePrograms; }
    ~CountedProgram() override { --gLivePrograms; }
    void SetParameter(int i, float v) override { gStray += !isParameterIndex(i), VelqProgramBasic::SetParameter(i, v); }
    static VelqProgram* Factory() { return gProgramsMade++ == gFailAt ? nullptr : new CountedProgram; }
};

struct Effect : VelqAuBase {
    Effect() : VelqAuBase(nullptr, 8, CountedProgram::Factory) {}
    // Accepts property 64 only; the base itself has no property to give or take.
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, const void*, UInt32) override
    {
        return id == 64 ? noErrStatus : kAudioUnitErr_InvalidProperty;
    }
    using VelqAuBase::currentProgram;
};

TEST(Programs, AllStartAsDefaultsAndAFailedCreationReleasesWhatWasMade)
{
    gProgramsMade = 0, gFailAt = 7; // the last program cannot be made; later counts are past it
    EXPECT_THROW(Effect(), std::bad_alloc);
    EXPECT_EQ(gLivePrograms, 0);
    Effect base;
    EXPECT_EQ(base.getProgram(), 0);
    char name[32] = "x";
    for (VstInt32 p = 7; p >= 0; --p) {
        base.setProgram(p);
        EXPECT_TRUE(base.getProgramNameIndexed(0, p, name)) << p;
        EXPECT_STREQ(name, "Defaults") << p;
        for (int i = 0; i < kNumParams; ++i)
            EXPECT_EQ(base.currentProgram().GetParameter(i), quadecho::kParameters[i].defaultValue) << p << ", " << i;
    }
    EXPECT_EQ(gStray, 0); // the base writes the rows of the table only
    // A number outside the programs, which only a direct call can set, means the first; it has no name.
    onAudioThread([&] { base.setParameter(quadecho::kTap1Time, 0.25f); });
    for (VstInt32 stray : {8, -1}) {
        base.setProgram(stray);
        EXPECT_EQ(base.getParameter(quadecho::kTap1Time), 0.25f) << stray;
        EXPECT_FALSE(base.getProgramNameIndexed(0, stray, name)) << stray;
    }
    // All values at once are the values one by one; the two outside the table are ignored, and a row outside it
    // reads as 0 in a program and in the effect.
    VelqProgramBasic program;
    for (int i = -1; i <= kNumParams; ++i)
        program.SetParameter(i, float(i));
    EXPECT_EQ(std::tuple(program.GetParameter(kNumParams), base.getParameter(kNumParams)), std::tuple(0.0f, 0.0f));
    for (bool basic : {false, true}) {
        std::vector<float> values(kNumParams + 1, -2.0f); // nothing written behind the table
        auto& table = *reinterpret_cast<float(*)[kNumParams]>(values.data());
        basic ? program.GetParameters(table) : program.VelqProgram::GetParameters(table);
        for (int i = 0; i <= kNumParams; ++i)
            EXPECT_EQ(values[i], i < kNumParams ? float(i) : -2.0f) << i;
    }
}

std::string gHeard;

// Two callbacks, told apart by their tag; each logs its data, property, scope and element.
template <char Tag>
void listener(void* data, VelqAuBase*, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    gHeard += std::string{Tag, *static_cast<const char*>(data)} + std::to_string(id * 100 + scope * 10 + element) + " ";
}

TEST(Properties, ListenersAreToldInOrderAndRemovedByPropertyAndCallbackWhateverTheirData)
{
    Effect base;
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
