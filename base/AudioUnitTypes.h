// Numbers and records of the Audio-Unit-style layer: statuses, property identifiers, scopes,
// parameter units. Identifiers and sizes are 32 bits on every processor.
#pragma once

#include "core/Parameters.h" // the parameter units
#include "platform/CoreFoundation.h"

#include <cstdint>

using UInt32 = std::uint32_t;
using SInt32 = std::int32_t;
using OSStatus = std::int32_t;
using AudioUnitParameterID = UInt32;
using AudioUnitPropertyID = UInt32;
using AudioUnitScope = UInt32;
using AudioUnitElement = UInt32;

constexpr OSStatus noErrStatus = 0;
constexpr OSStatus kAudioUnitErr_InvalidProperty = -10879;
constexpr OSStatus kAudioUnitErr_InvalidParameter = -10878;

constexpr AudioUnitScope kAudioUnitScope_Global = 0;

constexpr AudioUnitPropertyID kAudioUnitProperty_InPlaceProcessing = 29;
constexpr AudioUnitPropertyID kAudioUnitProperty_ParameterStringFromValue = 33;


// Names a parameter; the scaling functions read only mParameterID.
struct AudioUnitParameter {
    void* mAudioUnit;
    AudioUnitParameterID mParameterID;
    AudioUnitScope mScope;
    AudioUnitElement mElement;
};

// The record of property 33: the asker owns a non-null outString and releases it.
struct AudioUnitParameterStringFromValue {
    AudioUnitParameterID inParamID;
    const float* inValue; // null: the parameter's current value
    CFStringRef outString;
};
