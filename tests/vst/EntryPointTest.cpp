#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace {

enum class Factory { Makes, ReturnsNull, ThrowsBadAlloc, ThrowsOther };
Factory gFactory = Factory::Makes;
int gDestroyed = 0;
int gEditorsDestroyed = 0;
int gVersionRequests = 0;

class CountedEffect : public RecordingEffect {
public:
    using RecordingEffect::RecordingEffect;
    ~CountedEffect() override { ++gDestroyed; }
};

VstIntPtr VSTCALLBACK hostAnswering(VstIntPtr version, AEffect* effect, VstInt32 opcode)
{
    if (opcode == audioMasterVersion) {
        ++gVersionRequests;
        EXPECT_EQ(effect, nullptr);
        return version;
    }
    return 0;
}

VstIntPtr VSTCALLBACK host2400(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return hostAnswering(2400, e, opcode);
}

VstIntPtr VSTCALLBACK hostAnsweringZero(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return hostAnswering(0, e, opcode);
}

struct EntryPoint : ::testing::Test {
    void SetUp() override
    {
        gFactory = Factory::Makes;
        gDestroyed = gEditorsDestroyed = gVersionRequests = 0;
    }
};

TEST_F(EntryPoint, AnsweringHostGetsARecord)
{
    AEffect* e = VSTPluginMain(host2400);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(gVersionRequests, 1);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(static_cast<AudioEffect*>(e->object)->getAeffect(), e);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(gDestroyed, 1);
}

TEST_F(EntryPoint, NoEffectWhenTheFactoryFailsOrTheHostIsTooOld)
{
    struct Case {
        const char* name;
        audioMasterCallback host;
        Factory factory;
    };
    const Case cases[] = {
        {"host answers 0", hostAnsweringZero, Factory::Makes},
        {"no host callback", nullptr, Factory::Makes},
        {"factory returns null", host2400, Factory::ReturnsNull},
        {"construction runs out of memory", host2400, Factory::ThrowsBadAlloc},
        {"construction throws", host2400, Factory::ThrowsOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gFactory = c.factory;
        EXPECT_EQ(VSTPluginMain(c.host), nullptr);
        EXPECT_EQ(gDestroyed, 0);
    }
}

TEST_F(EntryPoint, EachCallMakesAnIndependentInstance)
{
    AEffect* a = VSTPluginMain(host2400);
    AEffect* b = VSTPluginMain(host2400);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    a->dispatcher(a, effSetProgram, 0, 2, nullptr, 0.0f);
    EXPECT_EQ(b->dispatcher(b, effGetProgram, 0, 0, nullptr, 0.0f), 0);
    a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f);
    b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(gDestroyed, 2);
}

TEST_F(EntryPoint, CloseRunsCloseThenFreesInstanceAndEditor)
{
    AEffect* e = VSTPluginMain(host2400);
    ASSERT_NE(e, nullptr);
    auto effect = static_cast<RecordingEffect*>(static_cast<AudioEffect*>(e->object));
    effect->setEditor(new RecordingEditor(&gEditorsDestroyed));
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(gEditorsDestroyed, 1);
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    switch (gFactory) {
    case Factory::ReturnsNull:
        return nullptr;
    case Factory::ThrowsBadAlloc:
        throw std::bad_alloc();
    case Factory::ThrowsOther:
        throw std::runtime_error("construction failed");
    case Factory::Makes:
        break;
    }
    return new CountedEffect(audioMaster);
}
