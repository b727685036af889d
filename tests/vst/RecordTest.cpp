#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

TEST(Record, NewInstanceHoldsTheFrameworkDefaults)
{
    RecordingEffect effect; // four programs, three parameters
    const AEffect& e = *effect.getAeffect();
    // magic, programs, parameters, inputs, outputs, flags, unique ID 'NoEf', version
    EXPECT_EQ(
        std::make_tuple(e.magic, e.numPrograms, e.numParams, e.numInputs, e.numOutputs, e.flags, e.uniqueID, e.version),
        std::make_tuple(0x56737450, 4, 3, 1, 2, effFlagsCanReplacing, 0x4E6F4566, 1));
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(e.object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(e.user, nullptr);
    EXPECT_EQ(e.resvd1 | e.resvd2, 0);
    EXPECT_EQ(e.initialDelay | e.realQualities | e.offQualities, 0);
    const char zeros[sizeof e.future] = {};
    EXPECT_EQ(std::memcmp(e.future, zeros, sizeof zeros), 0);
}

TEST(Record, CallbacksReachTheInstance)
{
    RecordingEffect effect;
    AEffect* e = effect.getAeffect();
    e->setParameter(e, 2, 0.25f);
    EXPECT_EQ(effect.call, "setParameter(2)");
    EXPECT_EQ(effect.lastFloat, 0.25f);
    EXPECT_EQ(e->getParameter(e, 1), 0.75f);
    EXPECT_EQ(effect.call, "getParameter(1)");
    e->process(e, nullptr, nullptr, 5);
    EXPECT_EQ(effect.call, "process(5)");
    e->processReplacing(e, nullptr, nullptr, 6);
    EXPECT_EQ(effect.call, "processReplacing(6)");
    e->processDoubleReplacing(e, nullptr, nullptr, 7);
    EXPECT_EQ(effect.call, "processDoubleReplacing(7)");
    EXPECT_EQ(e->dispatcher(e, effGetVendorVersion, 0, 0, nullptr, 0.0f), 82);
}

TEST(Record, FlagSettersTouchOnlyTheirBit)
{
    using Setter = void (AudioEffectX::*)(bool);
    const std::pair<Setter, VstInt32> cases[] = {
        {&AudioEffectX::canProcessReplacing, effFlagsCanReplacing},
        {&AudioEffectX::canDoubleReplacing, effFlagsCanDoubleReplacing},
        {&AudioEffectX::programsAreChunks, effFlagsProgramChunks},
        {&AudioEffectX::VST_DEPRECATED(hasVu), effFlagsHasVu},
        {&AudioEffectX::VST_DEPRECATED(hasClip), effFlagsHasClip},
        {&AudioEffectX::VST_DEPRECATED(canMono), effFlagsCanMono},
        {&AudioEffectX::isSynth, effFlagsIsSynth},
        {&AudioEffectX::noTail, effFlagsNoSoundInStop},
        {&AudioEffectX::VST_DEPRECATED(wantAsyncOperation), effFlagsExtIsAsync},
        {&AudioEffectX::VST_DEPRECATED(hasExternalBuffer), effFlagsExtHasBuffer},
        {nullptr, effFlagsHasEditor}, // attaching and detaching an editor
    };
    for (const auto& [set, bit] : cases) {
        for (VstInt32 start : {VstInt32(0), VstInt32(-1) & ~bit, VstInt32(-1)}) {
            RecordingEffect effect;
            effect.getAeffect()->flags = start;
            RecordingEditor editor; // owned by the test: detached before the effect goes
            set ? (effect.*set)(true) : effect.setEditor(&editor);
            EXPECT_EQ(effect.getAeffect()->flags, start | bit) << bit;
            set ? (effect.*set)(false) : effect.setEditor(nullptr);
            EXPECT_EQ(effect.getAeffect()->flags, start & ~bit) << bit;
        }
    }
}

} // namespace
