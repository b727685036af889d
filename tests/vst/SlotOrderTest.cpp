// Hosts and derived effects depend on where each virtual operation sits in the table.
#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>

namespace {

// Under the Itanium C++ ABI a pointer to a virtual member holds 1 + its byte offset in the table,
// followed by an adjustment of the object pointer.
template <typename Member> long slotOf(Member member)
{
    const std::uintptr_t ptr = std::bit_cast<std::array<std::uintptr_t, 2>>(member)[0];
    return ptr & 1 ? static_cast<long>((ptr - 1) / sizeof(void*)) : -1;
}

#define SLOT(cls, name, slot) std::make_pair(slotOf(&cls::name), slot)

TEST(SlotOrder, OperationsSitInTheirSlots)
{
    const std::pair<long, long> cases[] = {
        SLOT(AudioEffect, dispatcher, 2),
        SLOT(AudioEffect, open, 3),
        SLOT(AudioEffect, resume, 6),
        SLOT(AudioEffect, setSampleRate, 7),
        SLOT(AudioEffect, processReplacing, 9),
        SLOT(AudioEffect, setParameter, 11),
        SLOT(AudioEffect, setParameterAutomated, 13),
        SLOT(AudioEffect, setProgram, 15),
        SLOT(AudioEffect, getParameterName, 20),
        SLOT(AudioEffect, setChunk, 22),
        SLOT(AudioEffect, programsAreChunks, 28),
        SLOT(AudioEffect, getAeffect, 31),
        SLOT(AudioEffect, getMasterVersion, 34),
        SLOT(AudioEffect, isOutputConnected, 38),
        SLOT(AudioEffect, dB2string, 39),
        SLOT(AudioEffect, int2string, 43),
        SLOT(AudioEffect, VST_DEPRECATED(process), 44),
        SLOT(AudioEffect, VST_DEPRECATED(canMono), 48),
        SLOT(AudioEffect, VST_DEPRECATED(setOfflineQualities), 50),
        SLOT(AudioEffectX, canParameterBeAutomated, 51),
        SLOT(AudioEffectX, getProgramNameIndexed, 56),
        SLOT(AudioEffectX, ioChanged, 61),
        SLOT(AudioEffectX, getSpeakerArrangement, 69),
        SLOT(AudioEffectX, getTimeInfo, 75),
        SLOT(AudioEffectX, processEvents, 78),
        SLOT(AudioEffectX, setTotalSampleToProcess, 82),
        SLOT(AudioEffectX, isSynth, 89),
        SLOT(AudioEffectX, getDirectory, 92),
        SLOT(AudioEffectX, getEffectName, 93),
        SLOT(AudioEffectX, canDo, 98),
        SLOT(AudioEffectX, getPlugCategory, 100),
        SLOT(AudioEffectX, getMidiKeyName, 105),
        SLOT(AudioEffectX, getNextShellPlugin, 110),
        SLOT(AudioEffectX, allocateArrangement, 111),
        SLOT(AudioEffectX, matchArrangement, 114),
        SLOT(AudioEffectX, offlineRead, 115),
        SLOT(AudioEffectX, offlineGetNumMetaPasses, 124),
        SLOT(AudioEffectX, VST_DEPRECATED(wantEvents), 125),
        SLOT(AudioEffectX, VST_DEPRECATED(getNumCategories), 129),
        SLOT(AudioEffectX, VST_DEPRECATED(inputConnected), 134),
        SLOT(AudioEffectX, VST_DEPRECATED(reportDestinationBuffer), 140),
        SLOT(AudioEffectX, VST_DEPRECATED(openWindow), 144),
        SLOT(AudioEffectX, VST_DEPRECATED(setBlockSizeAndSampleRate), 146),
        SLOT(AudioEffectX, VST_DEPRECATED(getChunkFile), 152),
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

} // namespace
