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

// Apple's parameter units, as this layer names them.
enum AudioUnitParameterUnit : UInt32 {
    kAudioUnitParameterUnit_Generic = 0,
    kAudioUnitParameterUnit_Indexed = 1,
    kAudioUnitParameterUnit_Boolean = 2,
    kAudioUnitParameterUnit_Percent = 3,
    kAudioUnitParameterUnit_Seconds = 4,
    kAudioUnitParameterUnit_Hertz = 8,
    kAudioUnitParameterUnit_Cents = 9,
    kAudioUnitParameterUnit_Decibels = 13,
    kAudioUnitParameterUnit_LinearGain = 14,
    kAudioUnitParameterUnit_Pan = 18,
    kAudioUnitParameterUnit_BPM = 22,
    kAudioUnitParameterUnit_Beats = 23,
    kAudioUnitParameterUnit_Milliseconds = 24,
};

// The one mapping between this layer's units and the core's: the core numbers its units as Apple
// does, so a number of either names the same unit, and one the core does not know stays itself
// (no label, linear).
constexpr quadecho::Unit coreUnit(UInt32 unit) noexcept { return static_cast<quadecho::Unit>(unit); }
constexpr UInt32 audioUnitUnit(quadecho::Unit unit) noexcept { return static_cast<UInt32>(unit); }
static_assert(coreUnit(kAudioUnitParameterUnit_Generic) == quadecho::Unit::Generic &&
                  coreUnit(kAudioUnitParameterUnit_Indexed) == quadecho::Unit::Indexed &&
                  coreUnit(kAudioUnitParameterUnit_Boolean) == quadecho::Unit::Boolean &&
                  coreUnit(kAudioUnitParameterUnit_Percent) == quadecho::Unit::Percent &&
                  coreUnit(kAudioUnitParameterUnit_Seconds) == quadecho::Unit::Seconds &&
                  coreUnit(kAudioUnitParameterUnit_Hertz) == quadecho::Unit::Hertz &&
                  coreUnit(kAudioUnitParameterUnit_Cents) == quadecho::Unit::Cents &&
                  coreUnit(kAudioUnitParameterUnit_Decibels) == quadecho::Unit::Decibels &&
                  coreUnit(kAudioUnitParameterUnit_LinearGain) == quadecho::Unit::LinearGain &&
                  coreUnit(kAudioUnitParameterUnit_Pan) == quadecho::Unit::Pan &&
                  coreUnit(kAudioUnitParameterUnit_BPM) == quadecho::Unit::BPM &&
                  coreUnit(kAudioUnitParameterUnit_Beats) == quadecho::Unit::Beats &&
                  coreUnit(kAudioUnitParameterUnit_Milliseconds) == quadecho::Unit::Milliseconds,
              "Apple's unit numbers and the core's name the same units");

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
