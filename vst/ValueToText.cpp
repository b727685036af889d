// Number-to-text conversions for parameter displays.
#include "AudioEffect.h"

namespace {

void writeEmpty(char* text, VstInt32 maxLen)
{
    for (VstInt32 i = 0; i <= maxLen && maxLen >= 0; ++i)
        text[i] = 0;
}

} // namespace

void AudioEffect::dB2string(float /*value*/, char* text, VstInt32 maxLen)
{
    writeEmpty(text, maxLen);
}

void AudioEffect::Hz2string(float /*samples*/, char* text, VstInt32 maxLen)
{
    writeEmpty(text, maxLen);
}

void AudioEffect::ms2string(float /*samples*/, char* text, VstInt32 maxLen)
{
    writeEmpty(text, maxLen);
}

void AudioEffect::float2string(float /*value*/, char* text, VstInt32 maxLen)
{
    writeEmpty(text, maxLen);
}

void AudioEffect::int2string(VstInt32 /*value*/, char* text, VstInt32 maxLen)
{
    writeEmpty(text, maxLen);
}
