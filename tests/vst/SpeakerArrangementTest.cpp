#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const VstSpeakerProperties kZeros[16]{}; // value-initialised: all bytes zero
bool same(const VstSpeakerProperties* a, const VstSpeakerProperties* b, int n = 1)
{
    return std::memcmp(a, b, sizeof *a * static_cast<std::size_t>(n)) == 0;
}

// A speaker record with every byte distinct, a signalling NaN in azimuth and the given name bytes.
void fill(VstSpeakerProperties* s, int seed, const std::string& name = "Speaker")
{
    auto* bytes = reinterpret_cast<unsigned char*>(s);
    for (std::size_t i = 0; i < sizeof *s; ++i)
        bytes[i] = static_cast<unsigned char>(seed * 7 + static_cast<int>(i));
    const std::uint32_t signallingNaN = 0x7f800001u;
    std::memcpy(&s->azimuth, &signallingNaN, 4);
    std::memset(s->name, 0, sizeof s->name);
    std::memcpy(s->name, name.data(), name.size());
}

// Over an old block, which goes in any case: a refused request leaves a null pointer, never a freed
// block. The two large counts ask for more than a 32-bit address space or its allocator can give.
TEST(SpeakerArrangement, AllocatedBlocksAreClearedApartFromTheChannelCount)
{
    const bool narrow = sizeof(std::size_t) == 4;
    RecordingEffect effect;
    for (VstInt32 channels : {0, 2, 9, -1, INT32_MIN, narrow ? INT32_MAX : -2, narrow ? 38347922 : -3}) {
        VstSpeakerArrangement* a = nullptr;
        ASSERT_TRUE(effect.allocateArrangement(&a, 1));
        fill(a->speakers, 1);
        const bool fits = channels >= 0 && channels <= 9; // the large counts are refused where size_t is narrow
        EXPECT_EQ(effect.allocateArrangement(&a, channels), fits) << channels;
        ASSERT_EQ(a != nullptr, fits) << channels;
        if (a) {
            EXPECT_EQ(std::tuple(a->type, a->numChannels, same(a->speakers, kZeros, channels)),
                      std::tuple(0, channels, true));
        }
        EXPECT_TRUE(effect.deallocateArrangement(&a)) << channels;
        EXPECT_EQ(a, nullptr) << channels;
    }
    EXPECT_TRUE(effect.deallocateArrangement(nullptr));
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
}

TEST(SpeakerArrangement, CopiesAreExactWithNamesAlwaysTerminated)
{
    // Source names of 1, 63 and 64 bytes, the last one unterminated; a copy keeps at most 63 and
    // its terminator.
    RecordingEffect effect;
    VstSpeakerProperties from, to, expected;
    for (std::size_t length : {1u, 63u, 64u}) {
        const std::string source(length, 'a');
        fill(&from, 7, source);
        fill(&expected, 7, source.substr(0, 63));
        std::memset(&to, 0x55, sizeof to);
        EXPECT_TRUE(effect.copySpeaker(&to, &from)) << length;
        EXPECT_TRUE(same(&to, &expected)) << length;
    }
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
}

TEST(SpeakerArrangement, MatchMakesAPrivateCopyUpToAFailedSpeakerAndRefusesWhatItCannotCopy)
{
    RecordingEffect effect;
    VstSpeakerArrangement *from = nullptr, *to = nullptr, header{};
    for (const auto& [channels, succeeding] : {std::pair{6, 6}, {0, 0}, {4, 2}}) {
        effect.copies = 0;
        effect.succeeding = succeeding;
        ASSERT_TRUE(effect.allocateArrangement(&from, channels));
        ASSERT_TRUE(effect.allocateArrangement(&to, 2));
        from->type = 14;
        for (int i = 0; i < channels; ++i)
            fill(from->speakers + i, i);
        // The old destination is replaced by the copy, which keeps what it copied before a copy failed.
        EXPECT_EQ(effect.matchArrangement(&to, from), succeeding == channels) << channels;
        EXPECT_EQ(effect.copies, std::min(channels, succeeding + 1)) << channels;
        ASSERT_NE(to, nullptr);
        ASSERT_NE(to, from);
        EXPECT_EQ(std::tuple(to->type, to->numChannels, same(to->speakers, from->speakers, succeeding),
                             same(to->speakers + succeeding, kZeros, channels - succeeding)),
                  std::tuple(14, channels, true, true));
    }
    // A missing source or destination, or one no block can hold, is refused.
    VstSpeakerArrangement* const held = to;
    EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
    EXPECT_FALSE(effect.matchArrangement(nullptr, from));
    // Matching an arrangement onto itself must not free the source it is about to read.
    EXPECT_TRUE(effect.matchArrangement(&to, held));
    EXPECT_EQ(to, held);
    header.numChannels = -1;
    EXPECT_FALSE(effect.matchArrangement(&to, &header));
    EXPECT_EQ(to, nullptr);
    effect.deallocateArrangement(&from);
}

} // namespace
