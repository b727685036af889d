#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <algorithm>
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

bool allBytesZero(const void* p, std::size_t n)
{
    const auto* bytes = static_cast<const unsigned char*>(p);
    return std::all_of(bytes, bytes + n, [](unsigned char b) { return b == 0; });
}

bool sameBytes(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

// A speaker record with every byte distinct, a signalling NaN in azimuth and a terminated name.
void fill(VstSpeakerProperties* s, int seed)
{
    auto* bytes = reinterpret_cast<unsigned char*>(s);
    for (std::size_t i = 0; i < sizeof *s; ++i)
        bytes[i] = static_cast<unsigned char>(seed * 7 + static_cast<int>(i));
    const std::uint32_t signallingNaN = 0x7f800001u;
    std::memcpy(&s->azimuth, &signallingNaN, 4);
    std::memset(s->name, 0, sizeof s->name);
    std::snprintf(s->name, sizeof s->name, "Speaker %d", seed);
}

// Over an old block, which goes in any case: a refused request leaves a null pointer, never a freed block.
TEST(SpeakerArrangement, AllocatedBlocksAreClearedApartFromTheChannelCount)
{
    // The two large counts ask for more than a 32-bit address space or its allocator can give.
    const bool narrow = sizeof(std::size_t) == 4;
    const VstInt32 refused[] = {-1, INT32_MIN, narrow ? INT32_MAX : -2, narrow ? 38347922 : -3};
    ArrangingEffect effect;
    for (VstInt32 channels : {0, 2, 6, 9, refused[0], refused[1], refused[2], refused[3]}) {
        VstSpeakerArrangement* a = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&a, 1));
        fill(a->speakers, 1);
        if (channels < 0 || channels > 9) {
            EXPECT_FALSE(effect.allocateArrangement(&a, channels));
            EXPECT_EQ(a, nullptr);
            continue;
        }
        ASSERT_TRUE(effect.allocateArrangement(&a, channels));
        EXPECT_EQ(a->numChannels, channels);
        EXPECT_TRUE(allBytesZero(&a->type, 4) && allBytesZero(a->speakers, sizeof(VstSpeakerProperties) * channels));
        for (int twice = 0; twice < 2; ++twice) {
            EXPECT_TRUE(effect.deallocateArrangement(&a));
            EXPECT_EQ(a, nullptr);
        }
    }
    EXPECT_TRUE(effect.deallocateArrangement(nullptr));
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
}

TEST(SpeakerArrangement, CopiesAreExactWithNamesAlwaysTerminated)
{
    // The 64 bytes of the source name, unterminated when 64 long, and the name copied.
    const std::pair<std::string, std::string> cases[] = {{"L", "L"},
                                                         {"", ""},
                                                         {std::string(63, 'a'), std::string(63, 'a')},
                                                         {std::string(64, 'b'), std::string(63, 'b')}};
    ArrangingEffect effect;
    for (const auto& [source, copied] : cases) {
        VstSpeakerProperties from, to, expected;
        fill(&from, 7);
        std::memset(from.name, 0, sizeof from.name);
        std::memcpy(from.name, source.data(), source.size());
        std::memcpy(&expected, &from, sizeof from);
        std::memset(expected.name, 0, sizeof expected.name);
        std::memcpy(expected.name, copied.data(), copied.size());
        std::memset(&to, 0x55, sizeof to);
        ASSERT_TRUE(effect.copySpeaker(&to, &from));
        EXPECT_TRUE(sameBytes(&to, &expected, sizeof to)) << source;
    }
    // Null speakers are not copied; a speaker copied onto itself stays as it was.
    VstSpeakerProperties s, before;
    fill(&s, 3);
    std::memcpy(&before, &s, sizeof s);
    EXPECT_FALSE(effect.copySpeaker(&s, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &s));
    EXPECT_TRUE(effect.copySpeaker(&s, &s));
    EXPECT_TRUE(sameBytes(&s, &before, sizeof s));
}

// Match copies through the virtual copySpeaker: a failure stops it and keeps what was copied.
TEST(SpeakerArrangement, MatchMakesAPrivateCopyUpToAFailedSpeaker)
{
    struct CountingEffect : ArrangingEffect {
        int copies = 0, succeeding = 0;
        bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) override
        {
            return ++copies <= succeeding && AudioEffectX::copySpeaker(to, from);
        }
    } effect;
    const std::size_t speaker = sizeof(VstSpeakerProperties);
    const std::pair<int, int> cases[] = {{6, 6}, {0, 0}, {4, 2}}; // channels, copies that succeed
    for (const auto& [channels, succeeding] : cases) {
        effect.copies = 0;
        effect.succeeding = succeeding;
        VstSpeakerArrangement *from = nullptr, *to = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&from, channels));
        from->type = 14;
        for (int i = 0; i < channels; ++i)
            fill(from->speakers + i, i);
        ASSERT_TRUE(effect.allocateArrangement(&to, 2)); // replaced by the copy
        EXPECT_EQ(effect.matchArrangement(&to, from), succeeding == channels);
        EXPECT_EQ(effect.copies, std::min(channels, succeeding + 1));
        ASSERT_NE(to, nullptr);
        EXPECT_NE(to, from);
        EXPECT_EQ(to->type, 14);
        EXPECT_EQ(to->numChannels, channels);
        EXPECT_TRUE(sameBytes(to->speakers, from->speakers, speaker * succeeding));
        EXPECT_TRUE(allBytesZero(to->speakers + succeeding, speaker * (channels - succeeding)));
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

} // namespace
