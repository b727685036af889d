#include "ParameterTable.h"

#include <cstddef>
#include <utility>

namespace {

using quadecho::kParameters;

// Both arrays are built from the plain rows at compile time: names, units, ranges and defaults
// are stated there alone.
template <class Indexes> struct Table;
template <std::size_t... I> struct Table<std::index_sequence<I...>> {
    static inline constinit const CFStringImpl names[sizeof...(I)] = {CFConstantString(kParameters[I].name)...};
    static inline constinit const ParamInfo rows[sizeof...(I)] = {{&names[I], audioUnitUnit(kParameters[I].unit),
                                                                   kParameters[I].minValue, kParameters[I].maxValue,
                                                                   kParameters[I].defaultValue}...};
};
using ParameterTable = Table<std::make_index_sequence<kNumParams>>;

// Rows outside the table (a corrupt parameter ID) scale as an empty generic row.
const ParamInfo& rowOf(const AudioUnitParameter* parameter)
{
    static const ParamInfo kNoRow{nullptr, kAudioUnitParameterUnit_Generic, 0.0f, 1.0f, 0.0f};
    if (!parameter || !isParameterIndex(parameter->mParameterID))
        return kNoRow;
    return astParamInfos[parameter->mParameterID];
}

} // namespace

const ParamInfo (&astParamInfos)[kNumParams] = ParameterTable::rows;

float AUParameterValueFromLinear(float linear, const AudioUnitParameter* parameter)
{
    return valueFromLinear(rowOf(parameter), linear);
}

float AUParameterValueToLinear(float value, const AudioUnitParameter* parameter)
{
    return valueToLinear(rowOf(parameter), value);
}
