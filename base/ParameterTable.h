// The effect's 23 parameters as the Audio-Unit-style layer sees them: each row of the plain table
// (core/Parameters.h) with its name as a Core Foundation string.
#pragma once

#include "AudioUnitTypes.h"
#include "core/Parameters.h"

struct ParamInfo {
    CFStringRef name; // constant string, never released
    UInt32 unit;      // Apple's unit number: kAudioUnitParameterUnit_*
    float minValue;
    float maxValue;
    float defaultValue;
};

using quadecho::isParameterIndex;
using quadecho::kNumParams;

// The rows of quadecho::kParameters, in the same order; filled before any code runs.
extern const ParamInfo (&astParamInfos)[kNumParams];

// The mapping of one row, for any row: the table's and those of other effects alike.
inline float valueFromLinear(const ParamInfo& row, float linear)
{
    return quadecho::valueFromLinear(coreUnit(row.unit), row.minValue, row.maxValue, linear);
}
inline float valueToLinear(const ParamInfo& row, float value)
{
    return quadecho::valueToLinear(coreUnit(row.unit), row.minValue, row.maxValue, value);
}

extern "C" {
// Normalised (0..1) to real, by the row's unit. Neither direction clamps.
float AUParameterValueFromLinear(float linear, const AudioUnitParameter* parameter);
// Real to normalised, by the row's unit.
float AUParameterValueToLinear(float value, const AudioUnitParameter* parameter);
}
