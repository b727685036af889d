#include "base/CAVectorUnit.h"
#include "base/VelqAuBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::unique_ptr<VelqAuBase> makeBase(VstInt32 programs = 8)
{
    return std::make_unique<VelqAuBase>(nullptr, programs, VelqProgramBasic::Factory);
}

TEST(Programs, AllStartAsDefaultsWithTheTableValues)
{
    auto base = makeBase();
    EXPECT_EQ(base->getAeffect()->numParams, 23);
    EXPECT_EQ(base->getAeffect()->numPrograms, 8);
    for (VstInt32 p = 0; p < 8; ++p) {
        base->setProgram(p);
        char name[32] = "x";
        base->getProgramName(name);
        EXPECT_STREQ(name, "Defaults");
        AudioUnitParameter parameter{};
        for (int i = 0; i < kNumParams; ++i) {
            parameter.mParameterID = i;
            EXPECT_EQ(base->getParameter(i), AUParameterValueToLinear(astParamInfos[i].defaultValue, &parameter));
        }
    }
}

TEST(Programs, WritesGoToTheCurrentProgramOnly)
{
    auto base = makeBase();
    base->setParameter(0, 0.25f);
    EXPECT_EQ(base->getParameter(0), 0.25f);
    base->dispatcher(effSetProgram, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(base->getParameter(0), 0.1f);
    base->setParameter(0, 0.75f);
    base->dispatcher(effSetProgram, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(base->getParameter(0), 0.25f);
    base->dispatcher(effSetProgram, 0, 8, nullptr, 0.0f); // no such program
    EXPECT_EQ(base->getProgram(), 0);
}

TEST(Programs, IndexesOutsideTheTableAreIgnored)
{
    auto base = makeBase();
    for (VstInt32 index : {-1, 23, 1000, INT32_MIN}) {
        base->setParameter(index, 0.5f);
        EXPECT_EQ(base->getParameter(index), 0.0f);
        char text[32] = "untouched";
        base->getParameterName(index, text);
        EXPECT_STREQ(text, "");
    }
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(base->getParameter(i), makeBase()->getParameter(i));
}

TEST(Programs, NamesAreCutTo31Characters)
{
    struct Case {
        const char* name;
        const char* stored;
    };
    const Case cases[] = {{"Short", "Short"},
                          {"", ""},
                          {"0123456789012345678901234567890123456789", "0123456789012345678901234567890"},
                          {"0123456789012345678901234567890", "0123456789012345678901234567890"}};
    for (const Case& c : cases) {
        auto base = makeBase();
        std::string name = c.name;
        base->setProgramName(name.data());
        char out[64];
        std::memset(out, 'x', sizeof out);
        base->getProgramName(out);
        EXPECT_STREQ(out, c.stored);
    }
}

TEST(Programs, NameByIndexChecksTheIndex)
{
    auto base = makeBase();
    char renamed[] = "Lead";
    base->dispatcher(effSetProgram, 0, 7, nullptr, 0.0f);
    base->setProgramName(renamed);
    struct Case {
        VstInt32 category, index;
        bool found;
        const char* text;
    };
    const Case cases[] = {{0, 7, true, "Lead"},
                          {5, 0, true, "Defaults"},
                          {-1, 3, true, "Defaults"},
                          {0, 8, false, "keep"},
                          {0, -1, false, "keep"}};
    for (const Case& c : cases) {
        char text[32] = "keep";
        EXPECT_EQ(base->getProgramNameIndexed(c.category, c.index, text), c.found);
        EXPECT_STREQ(text, c.text);
    }
}

int gLivePrograms = 0;
int gProgramsMade = 0;
int gFailAt = -1;

class CountedProgram : public VelqProgramBasic {
public:
    CountedProgram() { ++gLivePrograms; }
    ~CountedProgram() override { --gLivePrograms; }
    static VelqProgram* Factory()
    {
        if (gProgramsMade++ == gFailAt)
            throw std::bad_alloc();
        return new CountedProgram;
    }
};

TEST(Programs, AFailedCreationReleasesWhatWasMade)
{
    for (int failAt : {0, 3, 7}) {
        gLivePrograms = gProgramsMade = 0;
        gFailAt = failAt;
        EXPECT_THROW(VelqAuBase(nullptr, 8, CountedProgram::Factory), std::bad_alloc);
        EXPECT_EQ(gLivePrograms, 0);
    }
    gFailAt = -1;
    gLivePrograms = gProgramsMade = 0;
    {
        VelqAuBase base(nullptr, 8, CountedProgram::Factory);
        EXPECT_EQ(gLivePrograms, 8);
    }
    EXPECT_EQ(gLivePrograms, 0);
}

// ---- processing frame ------------------------------------------------------------------------

struct Kernel : AUKernelBase {
    explicit Kernel(std::vector<std::string>& log, bool setsSilence) : log(log), setsSilence(setsSilence) {}
    void Process(const float* source, float* destination, unsigned frames, unsigned channels, bool& silence) override
    {
        log.push_back(std::to_string(source[0]) + ">" + std::to_string(frames) + "/" + std::to_string(channels) +
                      (silence ? " silent" : ""));
        destination[0] = source[0] * 2;
        if (setsSilence)
            silence = true;
    }
    std::vector<std::string>& log;
    bool setsSilence;
};

class KernelEffect : public VelqAuBase {
public:
    KernelEffect() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory) {}
    AUKernelBase* NewKernel() override
    {
        made.push_back(std::make_unique<Kernel>(log, made.empty()));
        return made.back().get();
    }
    bool isReplacing() const { return replacing; }
    std::size_t kernelCount() const { return kernels.size(); }
    std::vector<std::unique_ptr<Kernel>> made;
    std::vector<std::string> log;
};

TEST(KernelFrame, EachKernelGetsItsChannelAndTheSharedSilenceFlag)
{
    KernelEffect effect;
    effect.AddKernels(); // two outputs
    ASSERT_EQ(effect.kernelCount(), 2u);
    float in0[1] = {1}, in1[1] = {3}, out0[1] = {0}, out1[1] = {0};
    float* inputs[] = {in0, in1};
    float* outputs[] = {out0, out1};
    effect.processReplacing(inputs, outputs, 1);
    EXPECT_TRUE(effect.isReplacing());
    ASSERT_EQ(effect.log.size(), 2u);
    EXPECT_EQ(effect.log[0], "1.000000>1/1");
    EXPECT_EQ(effect.log[1], "3.000000>1/1 silent"); // the first kernel's silence reaches the second
    EXPECT_EQ(out1[0], 6.0f);
    effect.VST_DEPRECATED(process)(inputs, outputs, -5); // a negative count processes nothing
    EXPECT_FALSE(effect.isReplacing());
    EXPECT_EQ(effect.log[2], "1.000000>0/1");
}

TEST(KernelFrame, WithoutKernelsOutputsStayAsHandedOver)
{
    auto base = makeBase(1);
    float in[4] = {1, 2, 3, 4}, out[4] = {9, 9, 9, 9};
    float* inputs[] = {in, in};
    float* outputs[] = {out, out};
    base->processReplacing(inputs, outputs, 4);
    base->VST_DEPRECATED(process)(inputs, outputs, 4);
    for (float sample : out)
        EXPECT_EQ(sample, 9.0f);
}

// ---- vector unit -----------------------------------------------------------------------------

struct FakeFeatures {
    static inline int calls = 0;
    static inline OSErr result = noErr;
    static inline SInt32 x86f = 0, x86a = 0, ppcf = 0;
    static OSErr query(OSType selector, SInt32* response)
    {
        ++calls;
        *response = selector == gestaltX86ProcessorFeatures    ? x86f
                    : selector == gestaltX86AdditionalFeatures ? x86a
                                                               : ppcf;
        return result;
    }
};

TEST(VectorUnit, FeatureBitsMapToTheUnit)
{
    struct Case {
        OSErr result;
        SInt32 x86f, x86a, ppcf;
        std::int32_t expected;
    };
#if defined(__powerpc__)
    const Case cases[] = {{noErr, 0, 0, 0x10, CAVectorUnit::kAltiVec},
                          {noErr, 0, 0, ~0x10, CAVectorUnit::kNone},
                          {-5551, 0, 0, 0x10, CAVectorUnit::kNone}};
#else
    const Case cases[] = {{noErr, 1 << 26, 0, 0, CAVectorUnit::kSSE2},
                          {noErr, 0, 1, 0, CAVectorUnit::kSSE3},
                          {noErr, 1 << 26, 1, 0, CAVectorUnit::kSSE3},
                          {noErr, ~(1 << 26), ~1, 0, CAVectorUnit::kNone},
                          {-5551, 1 << 26, 1, 0, CAVectorUnit::kNone}};
#endif
    auto saved = CAVectorUnit::sGestalt;
    CAVectorUnit::sGestalt = FakeFeatures::query;
    for (const Case& c : cases) {
        FakeFeatures::result = c.result;
        FakeFeatures::x86f = c.x86f;
        FakeFeatures::x86a = c.x86a;
        FakeFeatures::ppcf = c.ppcf;
        CAVectorUnit::sVectorUnitType = CAVectorUnit::kUndetermined;
        FakeFeatures::calls = 0;
        EXPECT_EQ(VelqAuBase::HasVectorUnit(), c.expected > 0);
        const int callsForOneDetermination = FakeFeatures::calls;
        EXPECT_GT(callsForOneDetermination, 0);
        EXPECT_EQ(VelqAuBase::HasVectorUnit(), c.expected > 0);
        EXPECT_EQ(FakeFeatures::calls, callsForOneDetermination); // cached after the first
        EXPECT_EQ(CAVectorUnit::sVectorUnitType, c.expected);
    }
    CAVectorUnit::sGestalt = saved;
    CAVectorUnit::sVectorUnitType = CAVectorUnit::kUndetermined;
}

} // namespace
