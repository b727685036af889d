// The three texts a host shows for a parameter: name, unit label and value.
#include "VelqAuBase.h"
#include "core/Identity.h"
#include "core/ValueText.h"

#include <cstring>

namespace {

constexpr int kNameBytes = 16;
constexpr int kStringBytes = 24; // a value text: 23 characters and the terminator

// A string that does not convert leaves an empty text rather than whatever the buffer held.
void copyString(CFStringRef string, char* text)
{
    if (!CFStringGetCString(string, text, kStringBytes, kCFStringEncodingUTF8))
        *text = 0;
}

} // namespace

void VelqAuBase::getParameterName(VstInt32 index, char* text)
{
    char name[64] = {};
    if (isParameterIndex(index) &&
        !CFStringGetCString(parameterTable[index].name, name, sizeof name, kCFStringEncodingUTF8))
        name[0] = 0;
    // name is zero behind its text, so this writes exactly what strncpy would: kNameBytes bytes,
    // zero-padded (strncpy here trips GCC's truncation warning in sanitizer builds).
    std::memcpy(text, name, kNameBytes);
    text[kNameBytes - 1] = 0;
}

void VelqAuBase::getParameterLabel(VstInt32 index, char* label)
{
    std::strcpy(label, isParameterIndex(index) ? quadecho::unitLabel(coreUnit(parameterTable[index].unit)) : "");
}

void VelqAuBase::getParameterDisplay(VstInt32 index, char* text)
{
    if (!isParameterIndex(index)) {
        *text = 0;
        return;
    }
    const float value = currentProgram().GetParameter(index);
    const UInt32 unit = parameterTable[index].unit;

    if (unit == kAudioUnitParameterUnit_Indexed) {
        CFArrayRef names = nullptr;
        if (GetParameterValueStrings(kAudioUnitScope_Global, static_cast<AudioUnitParameterID>(index), &names) != 0) {
            float2string(value, text, 8);
            return;
        }
        // A position outside the names shows the number instead of reading past them.
        const CFIndex count = CFArrayGetCount(names);
        if (value > -1.0f && value < static_cast<float>(count))
            copyString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, static_cast<CFIndex>(value))), text);
        else
            float2string(value, text, 8);
        CFRelease(names);
        return;
    }

    if (unit == kAudioUnitParameterUnit_Boolean) {
        std::strcpy(text, value == 0.0f ? "Off" : "On");
        return;
    }

    AudioUnitParameterStringFromValue request{static_cast<AudioUnitParameterID>(index), nullptr, nullptr};
    if (GetProperty(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request) == 0 &&
        request.outString) {
        copyString(request.outString, text);
        CFRelease(request.outString);
        return;
    }
    quadecho::printValue(value, text, kStringBytes);
}

OSStatus VelqAuBase::GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*)
{
    return kAudioUnitErr_InvalidParameter;
}

bool VelqAuBase::getVendorString(char* text)
{
    std::strcpy(text, quadecho::kVendorName);
    return true;
}
