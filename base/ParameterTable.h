// The effect's 23 parameters, described once: name, unit, range and default in real units.
#pragma once

#include "AudioUnitTypes.h"
#include "ParameterIndex.h"

struct ParamInfo {
    CFStringRef name; // constant string, never released
    UInt32 unit;      // AudioUnitParameterUnit
    float minValue;
    float maxValue;
    float defaultValue;
};

// Rows in the order of the parameter numbers of ParameterIndex.h.
using quadecho::kNumParams;

extern const ParamInfo astParamInfos[]; // kNumParams rows

inline bool isParameterIndex(long long index) { return index >= 0 && index < kNumParams; }

// The mapping of one row, for any row: the table's and those of other effects alike.
float valueFromLinear(const ParamInfo& row, float linear);
float valueToLinear(const ParamInfo& row, float value);

extern "C" {
// Normalised (0..1) to real, by the row's unit. Neither direction clamps.
float AUParameterValueFromLinear(float linear, const AudioUnitParameter* parameter);
// Real to normalised, by the row's unit.
float AUParameterValueToLinear(float value, const AudioUnitParameter* parameter);
}
