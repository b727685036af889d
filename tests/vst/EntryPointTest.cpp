#include "RecordingEffect.h"

#include "vst/EntryPoint.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

enum class Factory { Makes, ReturnsNull, ThrowsBadAlloc, ThrowsOther };
Factory gFactory = Factory::Makes;
VstIntPtr gHostVersion = 2400;
int gDestroyed = 0, gEditorsDestroyed = 0, gVersionRequests = 0;

class CountedEffect : public RecordingEffect {
public:
    using RecordingEffect::RecordingEffect;
    ~CountedEffect() override { ++gDestroyed; }
};

VstIntPtr VSTCALLBACK host(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode != audioMasterVersion)
        return 0;
    ++gVersionRequests;
    EXPECT_EQ(effect, nullptr);
    return gHostVersion;
}

AEffect* makeEffect(Factory factory = Factory::Makes, VstIntPtr hostVersion = 2400, audioMasterCallback callback = host)
{
    gFactory = factory;
    gHostVersion = hostVersion;
    gDestroyed = gEditorsDestroyed = gVersionRequests = 0;
    return VSTPluginMain(callback);
}

TEST(EntryPoint, AnsweringHostGetsARecordThatCloseFreesWithItsEditor)
{
    AEffect* e = makeEffect();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(gVersionRequests, 1);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(static_cast<AudioEffect*>(e->object)->getAeffect(), e);
    static_cast<AudioEffect*>(e->object)->setEditor(new RecordingEditor(&gEditorsDestroyed));
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(gEditorsDestroyed, 1);
}

TEST(EntryPoint, NoEffectWhenTheFactoryFailsOrTheHostIsTooOld)
{
    EXPECT_EQ(makeEffect(Factory::Makes, 0), nullptr);
    EXPECT_EQ(makeEffect(Factory::Makes, 2400, nullptr), nullptr);
    for (Factory factory : {Factory::ReturnsNull, Factory::ThrowsBadAlloc, Factory::ThrowsOther}) {
        EXPECT_EQ(makeEffect(factory), nullptr) << static_cast<int>(factory);
        EXPECT_EQ(gDestroyed, 0);
    }
}

TEST(EntryPoint, EachCallMakesAnIndependentInstance)
{
    AEffect* a = makeEffect();
    AEffect* b = VSTPluginMain(host);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    a->dispatcher(a, effSetProgram, 0, 2, nullptr, 0.0f);
    EXPECT_EQ(b->dispatcher(b, effGetProgram, 0, 0, nullptr, 0.0f), 0);
    a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f);
    b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(gDestroyed, 2);
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    if (gFactory == Factory::ThrowsBadAlloc)
        throw std::bad_alloc();
    if (gFactory == Factory::ThrowsOther)
        throw std::runtime_error("construction failed");
    return gFactory == Factory::ReturnsNull ? nullptr : new CountedEffect(audioMaster);
}
