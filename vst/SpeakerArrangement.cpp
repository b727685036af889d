// Speaker arrangements: one block of a header and one record per channel, sized for exactly the
// channels it holds, so the declared eight speakers say nothing about the real size.
#include "AudioEffectX.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = offsetof(VstSpeakerArrangement, speakers);
constexpr std::size_t kSpeakerSize = sizeof(VstSpeakerProperties);
constexpr std::size_t kNameLength = sizeof(VstSpeakerProperties::name) - 1;

VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 index)
{
    return arrangement->speakers + index;
}

} // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels)
{
    if (!arrangement)
        return false;
    // The old block goes first, and the pointer with it: whatever happens next, false always
    // leaves the caller holding nothing, never a block that was already freed.
    if (*arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    if (nbChannels < 0 || static_cast<std::size_t>(nbChannels) > (SIZE_MAX - kHeaderSize) / kSpeakerSize)
        return false;

    const std::size_t size = kHeaderSize + kSpeakerSize * static_cast<std::size_t>(nbChannels);
    auto block = static_cast<VstSpeakerArrangement*>(std::calloc(1, size));
    if (!block)
        return false;
    block->numChannels = nbChannels;
    *arrangement = block;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement && *arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (!to || !from)
        return false;

    // The source name need not be terminated; the copy always is, and is zero-filled behind it.
    std::size_t i = 0;
    for (; i < kNameLength && from->name[i] != 0; ++i)
        to->name[i] = from->name[i];
    for (; i <= kNameLength; ++i)
        to->name[i] = 0;

    to->type = from->type;
    // Bit for bit: a float assignment may quieten a signalling NaN.
    std::memmove(&to->azimuth, &from->azimuth, sizeof to->azimuth);
    std::memmove(&to->elevation, &from->elevation, sizeof to->elevation);
    std::memmove(&to->radius, &from->radius, sizeof to->radius);
    std::memmove(&to->reserved, &from->reserved, sizeof to->reserved);
    std::memmove(to->future, from->future, sizeof to->future);
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (!from)
        return false;
    // Freeing the destination would free the source too.
    if (to && *to == from)
        return true;
    if (!deallocateArrangement(to))
        return false;
    if (!allocateArrangement(to, from->numChannels))
        return false;

    VstSpeakerArrangement* copy = *to;
    copy->type = from->type;
    for (VstInt32 i = 0; i < copy->numChannels; ++i) {
        if (!copySpeaker(speakerAt(copy, i), speakerAt(from, i)))
            return false;
    }
    return true;
}
