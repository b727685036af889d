#include "RecordingEffect.h"

#include "vst/EntryPoint.h"

#include <gtest/gtest.h>

#include <new>
#include <tuple>

namespace {

enum class Factory { Makes, ReturnsNull, Throws };
Factory gFactory = Factory::Makes;
VstIntPtr gHostVersion = 2400;
int gVersionRequests = 0;

VstIntPtr VSTCALLBACK host(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    gVersionRequests += opcode == audioMasterVersion && effect == nullptr;
    return opcode == audioMasterVersion ? gHostVersion : 0;
}

// The record a host gets holds the framework's defaults, reaches its instance through each
// callback and goes, with its editor, when the host closes it (the editor goes only with its
// instance, so its going shows both).
TEST(EntryPoint, AnsweringHostGetsARecordThatCloseFreesWithItsEditor)
{
#if VST_DEPRECATED_SUPPORT
    const auto entries = {VSTPluginMain, main_macho};
#else
    const auto entries = {VSTPluginMain};
#endif
    for (auto entry : entries) {
        RecordingEditor::destroyed = gVersionRequests = 0;
        AEffect* e = entry(host);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(gVersionRequests, 1);
        // magic 'VstP', programs, parameters, inputs, outputs, flags (replacing), unique ID 'NoEf', version,
        // I/O ratio; no user data, and the reserved and unused fields zero
        EXPECT_EQ(std::make_tuple(e->magic, e->numPrograms, e->numParams, e->numInputs, e->numOutputs, e->flags,
                                  e->uniqueID, e->version, e->ioRatio, e->user,
                                  e->resvd1 | e->resvd2 | e->initialDelay | e->realQualities | e->offQualities,
                                  std::string(e->future, sizeof e->future)),
                  std::make_tuple(0x56737450, 4, 3, 1, 2, 16, 0x4E6F4566, 1, 1.0f, nullptr, 0,
                                  std::string(sizeof e->future, '\0')));

        auto& effect = *static_cast<RecordingEffect*>(e->object);
        // The effect's tests reach it through the record's dispatcher, setParameter and both process
        // callbacks; these two no test of the effect calls.
        EXPECT_EQ(e->getParameter(e, 1), 0.75f);
        e->processDoubleReplacing(e, nullptr, nullptr, 7);
        EXPECT_EQ(effect.call, "processDoubleReplacing(7)");

        effect.setEditor(new RecordingEditor);
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
        EXPECT_EQ(RecordingEditor::destroyed, 1);
    }
}

TEST(EntryPoint, NoEffectWhenTheFactoryFailsOrTheHostIsTooOld)
{
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
    gHostVersion = 0;
    EXPECT_EQ(VSTPluginMain(host), nullptr);
    gHostVersion = 2400;
    for (Factory factory : {Factory::ReturnsNull, Factory::Throws}) {
        gFactory = factory;
        EXPECT_EQ(VSTPluginMain(host), nullptr) << static_cast<int>(factory);
    }
    gFactory = Factory::Makes;
}

// Each setter, called without an argument, sets its bit (the number the host reads) and only that.
// clang-format off
#define FLAG(setter, bit) {[](RecordingEffect& e, bool on) { on ? e.setter() : e.setter(false); }, bit}

TEST(Record, FlagSettersTouchOnlyTheirBit)
{
    // The editor is attached by the test and detached again before its effect goes.
    const std::pair<void (*)(RecordingEffect&, bool), VstInt32> cases[] = {
        {[](RecordingEffect& e, bool on) { static RecordingEditor editor; e.setEditor(on ? &editor : nullptr); }, 1},
        FLAG(VST_DEPRECATED(hasClip), 2), FLAG(VST_DEPRECATED(hasVu), 4), FLAG(VST_DEPRECATED(canMono), 8),
        FLAG(canProcessReplacing, 16), FLAG(programsAreChunks, 32), FLAG(isSynth, 256), FLAG(noTail, 512),
        FLAG(VST_DEPRECATED(wantAsyncOperation), 1024), FLAG(VST_DEPRECATED(hasExternalBuffer), 2048),
        FLAG(canDoubleReplacing, 4096)};
    // clang-format on
    for (const auto& [set, bit] : cases) {
        for (VstInt32 start : {VstInt32(0), ~bit}) {
            RecordingEffect effect;
            effect.getAeffect()->flags = start;
            EXPECT_EQ((set(effect, true), effect.getAeffect()->flags), start | bit) << bit;
            EXPECT_EQ((set(effect, false), effect.getAeffect()->flags), start & ~bit) << bit;
        }
    }
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    if (gFactory == Factory::Throws)
        throw std::bad_alloc();
    return gFactory == Factory::ReturnsNull ? nullptr : new RecordingEffect(audioMaster);
}
