// Speaker arrangements: blocks of a header and one record per channel.
#include "AudioEffectX.h"

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** /*arrangement*/, VstInt32 /*nbChannels*/)
{
    return false;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** /*arrangement*/)
{
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* /*to*/, VstSpeakerProperties* /*from*/)
{
    return false;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** /*to*/, VstSpeakerArrangement* /*from*/)
{
    return false;
}
