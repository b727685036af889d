// Numbers and records of the Audio-Unit-style layer: statuses, property identifiers, scopes,
// parameter units. Identifiers and sizes are 32 bits on every processor.
#pragma once

#include "core/Parameters.h" // the core's units
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

// The one mapping between this layer's units and the core's: the core numbers its units as Apple
// does, so a number of either names the same unit, and one the core does not know stays itself
// (no label, linear).
constexpr quadecho::Unit coreUnit(UInt32 unit) noexcept { return static_cast<quadecho::Unit>(unit); }
constexpr UInt32 audioUnitUnit(quadecho::Unit unit) noexcept { return static_cast<UInt32>(unit); }

// Apple's names for the units, which this layer speaks.
constexpr UInt32 kAudioUnitParameterUnit_Generic = audioUnitUnit(quadecho::Unit::Generic);
constexpr UInt32 kAudioUnitParameterUnit_Indexed = audioUnitUnit(quadecho::Unit::Indexed);
constexpr UInt32 kAudioUnitParameterUnit_Boolean = audioUnitUnit(quadecho::Unit::Boolean);
constexpr UInt32 kAudioUnitParameterUnit_Percent = audioUnitUnit(quadecho::Unit::Percent);
constexpr UInt32 kAudioUnitParameterUnit_Seconds = audioUnitUnit(quadecho::Unit::Seconds);
constexpr UInt32 kAudioUnitParameterUnit_Hertz = audioUnitUnit(quadecho::Unit::Hertz);
constexpr UInt32 kAudioUnitParameterUnit_Cents = audioUnitUnit(quadecho::Unit::Cents);
constexpr UInt32 kAudioUnitParameterUnit_Decibels = audioUnitUnit(quadecho::Unit::Decibels);
constexpr UInt32 kAudioUnitParameterUnit_LinearGain = audioUnitUnit(quadecho::Unit::LinearGain);
constexpr UInt32 kAudioUnitParameterUnit_Pan = audioUnitUnit(quadecho::Unit::Pan);
constexpr UInt32 kAudioUnitParameterUnit_BPM = audioUnitUnit(quadecho::Unit::BPM);
constexpr UInt32 kAudioUnitParameterUnit_Beats = audioUnitUnit(quadecho::Unit::Beats);
constexpr UInt32 kAudioUnitParameterUnit_Milliseconds = audioUnitUnit(quadecho::Unit::Milliseconds);

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
