#include "base/CAVectorUnit.h"
#include "base/VelqAuBase.h"
#include "platform/Arch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

namespace {

float linearDefault(int i) { return valueToLinear(astParamInfos[i], astParamInfos[i].defaultValue); }

struct Programs : ::testing::Test {
    VelqAuBase base{nullptr, 8, VelqProgramBasic::Factory};
    VstIntPtr select(VstIntPtr program) { return base.dispatcher(effSetProgram, 0, program, nullptr, 0.0f); }
};

TEST_F(Programs, AllStartAsDefaultsAndTakeWritesToTheCurrentOneOnly)
{
    for (VstInt32 index : {-1, VstInt32(kNumParams), 1000, INT32_MIN}) { // outside the table: ignored
        base.setParameter(index, 0.5f);
        EXPECT_EQ(base.getParameter(index), 0.0f);
    }
    EXPECT_EQ(base.getAeffect()->numParams, 23);
    for (VstInt32 p = 7; p >= 0; --p) {
        select(p);
        char name[32] = "x";
        base.getProgramName(name);
        EXPECT_STREQ(name, "Defaults");
        for (int i = 0; i < kNumParams; ++i)
            EXPECT_EQ(base.getParameter(i), linearDefault(i)) << i;
    }
    const VstInt32 tap1Time = quadecho::kTap1Time;
    base.setParameter(tap1Time, 0.25f);
    EXPECT_EQ(base.getParameter(tap1Time), 0.25f);
    select(1);
    EXPECT_EQ(base.getParameter(tap1Time), 0.1f);
    base.setParameter(tap1Time, 0.75f);
    select(0);
    EXPECT_EQ(base.getParameter(tap1Time), 0.25f);
    select(8); // no such program
    EXPECT_EQ(base.getProgram(), 0);
}

TEST_F(Programs, NamesAreReadByCheckedIndexAndCutTo31Characters)
{
    select(7);
    char lead[] = "Lead";
    base.setProgramName(lead);
    // category, index, found, text
    const std::tuple<VstInt32, VstInt32, bool, const char*> cases[] = {
        {0, 7, true, "Lead"},  {5, 0, true, "Defaults"}, {-1, 3, true, "Defaults"},
        {0, 8, false, "keep"}, {0, -1, false, "keep"},
    };
    for (const auto& [category, index, found, text] : cases) {
        char out[32] = "keep";
        EXPECT_EQ(base.getProgramNameIndexed(category, index, out), found);
        EXPECT_STREQ(out, text);
    }

    const std::string digits40 = "0123456789012345678901234567890123456789", digits31 = digits40.substr(0, 31);
    const std::pair<std::string, std::string> names[] = {
        {"Short", "Short"}, {"", ""}, {digits40, digits31}, {digits31, digits31}};
    for (auto [name, stored] : names) {
        base.setProgramName(name.data());
        char out[64];
        std::memset(out, 'x', sizeof out);
        base.getProgramName(out);
        EXPECT_EQ(out, stored);
    }
}

int gLivePrograms = 0, gProgramsMade = 0, gFailAt = -1;

struct CountedProgram : VelqProgramBasic {
    CountedProgram() { ++gLivePrograms; }
    ~CountedProgram() override { --gLivePrograms; }
    static VelqProgram* Factory()
    {
        if (gProgramsMade++ == gFailAt)
            throw std::bad_alloc();
        return new CountedProgram;
    }
};

TEST(ProgramCreation, AFailedCreationReleasesWhatWasMade)
{
    for (int failAt : {0, 3, 7, -1}) {
        gLivePrograms = gProgramsMade = 0;
        gFailAt = failAt;
        if (failAt >= 0) {
            EXPECT_THROW(VelqAuBase(nullptr, 8, CountedProgram::Factory), std::bad_alloc);
        } else {
            VelqAuBase base(nullptr, 8, CountedProgram::Factory);
            EXPECT_EQ(gLivePrograms, 8);
        }
        EXPECT_EQ(gLivePrograms, 0);
    }
}

// ---- processing frame ------------------------------------------------------------------------

struct Kernel : AUKernelBase {
    Kernel(std::vector<std::string>& log, bool setsSilence) : log(log), setsSilence(setsSilence) {}
    void Process(const float* source, float* destination, unsigned frames, unsigned channels, bool& silence) override
    {
        log.push_back(std::to_string(source[0]) + ">" + std::to_string(frames) + "/" + std::to_string(channels) +
                      (silence ? " silent" : ""));
        destination[0] = source[0] * 2;
        silence = silence || setsSilence;
    }
    std::vector<std::string>& log;
    bool setsSilence;
};

class KernelEffect : public VelqAuBase {
public:
    KernelEffect() : VelqAuBase(nullptr, 1, VelqProgramBasic::Factory) {}
    AUKernelBase* NewKernel() override { return made.emplace_back(std::make_unique<Kernel>(log, made.empty())).get(); }
    bool isReplacing() const { return replacing; }
    std::vector<std::unique_ptr<Kernel>> made;
    std::vector<std::string> log;
};

TEST(KernelFrame, EachKernelGetsItsChannelAndTheSharedSilenceFlag)
{
    KernelEffect effect;
    float in0[1] = {1}, in1[1] = {3}, out0[1] = {9}, out1[1] = {9};
    float* inputs[] = {in0, in1};
    float* outputs[] = {out0, out1};
    effect.processReplacing(inputs, outputs, 1); // without kernels, outputs stay as handed over
    EXPECT_EQ(out0[0] + out1[0], 18.0f);
    effect.AddKernels(); // two outputs
    effect.processReplacing(inputs, outputs, 1);
    EXPECT_TRUE(effect.isReplacing());
    // The first kernel's silence reaches the second.
    EXPECT_EQ(effect.log, (std::vector<std::string>{"1.000000>1/1", "3.000000>1/1 silent"}));
    EXPECT_EQ(out1[0], 6.0f);
    effect.VST_DEPRECATED(process)(inputs, outputs, -5); // a negative count processes nothing
    EXPECT_FALSE(effect.isReplacing());
    EXPECT_EQ(effect.log[2], "1.000000>0/1");
}

// ---- vector unit -----------------------------------------------------------------------------

struct Features {
    OSErr result;
    SInt32 x86, x86Additional, powerPC;
    std::int32_t unit;
};
const Features* gFeatures = nullptr;
int gQueries = 0;

OSErr fakeGestalt(OSType selector, SInt32* response)
{
    ++gQueries;
    *response = selector == gestaltX86ProcessorFeatures    ? gFeatures->x86
                : selector == gestaltX86AdditionalFeatures ? gFeatures->x86Additional
                                                           : gFeatures->powerPC;
    return gFeatures->result;
}

TEST(VectorUnit, FeatureBitsMapToTheUnitDeterminedOnce)
{
#if QUADECHO_ARCH_POWERPC
    const Features cases[] = {{noErr, 0, 0, 0x10, CAVectorUnit::kAltiVec},
                              {noErr, 0, 0, ~0x10, CAVectorUnit::kNone},
                              {-5551, 0, 0, 0x10, CAVectorUnit::kNone}};
#else
    const Features cases[] = {{noErr, 1 << 26, 0, 0, CAVectorUnit::kSSE2},
                              {noErr, 0, 1, 0, CAVectorUnit::kSSE3},
                              {noErr, 1 << 26, 1, 0, CAVectorUnit::kSSE3},
                              {noErr, ~(1 << 26), ~1, 0, CAVectorUnit::kNone},
                              {-5551, 1 << 26, 1, 0, CAVectorUnit::kNone}};
#endif
    auto saved = CAVectorUnit::sGestalt;
    CAVectorUnit::sGestalt = fakeGestalt;
    for (const Features& c : cases) {
        gFeatures = &c;
        gQueries = 0;
        CAVectorUnit::sVectorUnitType = CAVectorUnit::kUndetermined;
        EXPECT_EQ(VelqAuBase::HasVectorUnit(), c.unit > 0);
        const int queriesForOneDetermination = gQueries;
        EXPECT_GT(queriesForOneDetermination, 0);
        EXPECT_EQ(VelqAuBase::HasVectorUnit(), c.unit > 0);
        EXPECT_EQ(gQueries, queriesForOneDetermination); // cached after the first
        EXPECT_EQ(CAVectorUnit::sVectorUnitType, c.unit);
    }
    CAVectorUnit::sGestalt = saved;
    CAVectorUnit::sVectorUnitType = CAVectorUnit::kUndetermined;
}

} // namespace
