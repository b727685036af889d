#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

class ArrangingEffect : public AudioEffectX {
public:
    ArrangingEffect() : AudioEffectX(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

VstSpeakerProperties* speaker(VstSpeakerArrangement* a, int i) { return a->speakers + i; }

bool allBytesZero(const void* p, std::size_t n)
{
    const auto* bytes = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

// A speaker record with every field distinct, a signalling NaN among them.
void fill(VstSpeakerProperties* s, int seed)
{
    const std::uint32_t signallingNaN = 0x7f800001u;
    std::memcpy(&s->azimuth, &signallingNaN, 4);
    s->elevation = 0.5f * static_cast<float>(seed);
    s->radius = -1.25f;
    s->reserved = 3.0f;
    std::memset(s->name, 0, sizeof s->name);
    std::snprintf(s->name, sizeof s->name, "Speaker %d", seed);
    s->type = seed + 100;
    for (std::size_t i = 0; i < sizeof s->future; ++i)
        s->future[i] = static_cast<char>(seed + static_cast<int>(i));
}

TEST(SpeakerArrangement, AllocatedBlocksAreClearedApartFromTheChannelCount)
{
    for (VstInt32 channels : {0, 2, 6, 9}) {
        SCOPED_TRACE(channels);
        ArrangingEffect effect;
        VstSpeakerArrangement* a = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&a, channels));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->type, 0);
        EXPECT_EQ(a->numChannels, channels);
        EXPECT_TRUE(allBytesZero(a->speakers, sizeof(VstSpeakerProperties) * static_cast<std::size_t>(channels)));
        // Over an existing block: the old one is replaced, not kept.
        if (channels > 0)
            fill(speaker(a, 0), 1);
        ASSERT_TRUE(effect.allocateArrangement(&a, 1));
        EXPECT_EQ(a->numChannels, 1);
        EXPECT_TRUE(allBytesZero(a->speakers, sizeof(VstSpeakerProperties)));
        EXPECT_TRUE(effect.deallocateArrangement(&a));
        EXPECT_EQ(a, nullptr);
        EXPECT_TRUE(effect.deallocateArrangement(&a));
        EXPECT_EQ(a, nullptr);
    }
    ArrangingEffect effect;
    EXPECT_TRUE(effect.deallocateArrangement(nullptr));
}

// A refused request still lets go of the old block, so false always means the pointer is null.
TEST(SpeakerArrangement, RefusedAllocationsLeaveNoArrangement)
{
    const bool narrow = sizeof(std::size_t) == 4;
    struct Case {
        const char* name;
        VstInt32 channels;
        bool run;
    };
    const Case cases[] = {
        {"negative count", -1, true},
        {"lowest count", INT32_MIN, true},
        {"size beyond the address space", INT32_MAX, narrow},
        {"size the allocator cannot give", 38347922, narrow},
    };
    for (const Case& c : cases) {
        if (!c.run)
            continue;
        SCOPED_TRACE(c.name);
        ArrangingEffect effect;
        VstSpeakerArrangement* a = nullptr;
        EXPECT_FALSE(effect.allocateArrangement(&a, c.channels));
        EXPECT_EQ(a, nullptr);
        ASSERT_TRUE(effect.allocateArrangement(&a, 2));
        EXPECT_FALSE(effect.allocateArrangement(&a, c.channels));
        EXPECT_EQ(a, nullptr);
    }
    ArrangingEffect effect;
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
}

TEST(SpeakerArrangement, CopiedNamesAreAlwaysTerminated)
{
    struct Case {
        const char* name;
        std::string source; // the 64 bytes of the source name, unterminated when 64 long
        std::string copied;
    };
    const Case cases[] = {
        {"short", "L", "L"},
        {"empty", "", ""},
        {"63 characters", std::string(63, 'a'), std::string(63, 'a')},
        {"no terminator", std::string(64, 'b'), std::string(63, 'b')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArrangingEffect effect;
        VstSpeakerProperties from, to;
        fill(&from, 7);
        std::memset(from.name, 0, sizeof from.name);
        std::memcpy(from.name, c.source.data(), c.source.size());
        std::memset(&to, 0x55, sizeof to);
        ASSERT_TRUE(effect.copySpeaker(&to, &from));
        EXPECT_EQ(std::string(to.name), c.copied);
        EXPECT_TRUE(allBytesZero(to.name + c.copied.size(), sizeof to.name - c.copied.size()));
        EXPECT_EQ(std::memcmp(&to.azimuth, &from.azimuth, 16), 0);
        EXPECT_EQ(to.type, from.type);
        EXPECT_EQ(std::memcmp(to.future, from.future, sizeof to.future), 0);
    }
}

TEST(SpeakerArrangement, NullSpeakersAreNotCopied)
{
    ArrangingEffect effect;
    VstSpeakerProperties s, before;
    fill(&s, 3);
    before = s;
    EXPECT_FALSE(effect.copySpeaker(&s, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &s));
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
    EXPECT_TRUE(effect.copySpeaker(&s, &s));
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
}

TEST(SpeakerArrangement, MatchMakesAPrivateCopy)
{
    for (VstInt32 channels : {6, 0}) {
        SCOPED_TRACE(channels);
        ArrangingEffect effect;
        VstSpeakerArrangement* from = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&from, channels));
        from->type = 14;
        for (int i = 0; i < channels; ++i)
            fill(speaker(from, i), i);
        VstSpeakerArrangement* to = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&to, 2)); // replaced by the copy
        ASSERT_TRUE(effect.matchArrangement(&to, from));
        ASSERT_NE(to, nullptr);
        EXPECT_NE(to, from);
        EXPECT_EQ(to->type, 14);
        EXPECT_EQ(to->numChannels, channels);
        for (int i = 0; i < channels; ++i)
            EXPECT_EQ(std::memcmp(speaker(to, i), speaker(from, i), sizeof(VstSpeakerProperties)), 0) << i;
        effect.deallocateArrangement(&to);
        effect.deallocateArrangement(&from);
    }
}

TEST(SpeakerArrangement, MatchRefusesWhatItCannotCopy)
{
    ArrangingEffect effect;
    VstSpeakerArrangement* held = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&held, 2));
    held->type = 3;
    VstSpeakerArrangement* to = held;

    EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
    EXPECT_EQ(to, held);
    EXPECT_EQ(to->type, 3);

    // Matching an arrangement onto itself must not free the source it is about to read.
    EXPECT_TRUE(effect.matchArrangement(&to, held));
    EXPECT_EQ(to, held);
    EXPECT_EQ(to->numChannels, 2);

    EXPECT_FALSE(effect.matchArrangement(nullptr, held));

    VstSpeakerArrangement header{};
    header.numChannels = -1;
    EXPECT_FALSE(effect.matchArrangement(&to, &header));
    EXPECT_EQ(to, nullptr);
}

// Match goes through the virtual copySpeaker: a failure stops it and keeps what was copied.
class FailingCopyEffect : public ArrangingEffect {
public:
    int copies = 0;
    bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) override
    {
        return ++copies <= 2 && AudioEffectX::copySpeaker(to, from);
    }
};

TEST(SpeakerArrangement, MatchStopsAtTheFirstFailedCopy)
{
    FailingCopyEffect effect;
    VstSpeakerArrangement* from = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&from, 4));
    for (int i = 0; i < 4; ++i)
        fill(speaker(from, i), i);
    VstSpeakerArrangement* to = nullptr;
    EXPECT_FALSE(effect.matchArrangement(&to, from));
    EXPECT_EQ(effect.copies, 3);
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(std::memcmp(speaker(to, 1), speaker(from, 1), sizeof(VstSpeakerProperties)), 0);
    EXPECT_TRUE(allBytesZero(speaker(to, 2), 2 * sizeof(VstSpeakerProperties)));
    effect.deallocateArrangement(&to);
    effect.deallocateArrangement(&from);
}

} // namespace
