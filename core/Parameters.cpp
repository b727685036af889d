#include "Parameters.h"

#include <cmath>

namespace quadecho {

// Each step's precision is part of the result: the texts and the delay times depend on it.
float valueFromLinear(Unit unit, float minValue, float maxValue, float linear) noexcept
{
    switch (scalingOf(unit)) {
    case Scaling::Logarithmic: {
        const float ratio = maxValue / minValue;
        const double exponent = static_cast<double>(linear) * std::log2(static_cast<double>(ratio));
        return static_cast<float>(static_cast<double>(minValue) * std::exp2(exponent));
    }
    case Scaling::Rounded: {
        const float value = minValue + linear * (maxValue - minValue);
        return std::floor(value + 0.5f);
    }
    case Scaling::Linear:
        break;
    }
    return (maxValue - minValue) * linear + minValue;
}

float valueToLinear(Unit unit, float minValue, float maxValue, float value) noexcept
{
    if (maxValue == minValue)
        return maxValue;
    if (scalingOf(unit) == Scaling::Logarithmic) {
        const float k = 1.0f / minValue;
        const float scaled = value * k;
        const float span = k * maxValue;
        return static_cast<float>(std::log2(static_cast<double>(scaled)) / std::log2(static_cast<double>(span)));
    }
    return (value - minValue) / (maxValue - minValue);
}

} // namespace quadecho
