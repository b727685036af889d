#include "FloorKernels.h"

namespace bench {

namespace {
constexpr float kYLim = 1.0f;
constexpr float kBeta = 0.148148149f;

inline float clip(float v)
{
    if (v > 1.5f)
        return kYLim;
    if (v >= -1.5f)
        return v - ((kBeta * v) * v) * v;
    return -kYLim;
}
} // namespace

float filterFloor(const float* loopInput, std::uint32_t frames, float f, float damping, float (&state)[3])
{
    float low = state[0], high = state[1], band = state[2];
    for (std::uint32_t j = 0; j < frames; ++j) {
        const float y = clip(loopInput[j]);
        low = low + f * band;
        high = (y - low) - band * damping;
        band = band + f * high;
    }
    state[0] = low;
    state[1] = high;
    state[2] = band;
    return low + high + band;
}

void literalLoop(const quadecho::BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& w, float (&state)[3],
                 const float* inL, const float* inR, float* outL, float* outR, std::uint32_t frames, bool accumulate)
{
    float low = state[0], high = state[1], band = state[2];
    std::int32_t r[4];
    for (int i = 0; i < 4; ++i)
        r[i] = n - c.delay[i];
    const float acc = accumulate ? 1.0f : 0.0f;
    for (std::uint32_t j = 0; j < frames; ++j) {
        const float xL = inL[j], xR = inR[j], oL = outL[j], oR = outR[j];
        float t[4];
        for (int i = 0; i < 4; ++i)
            t[i] = line[(w + r[i]) % n];
        const float v = ((xL + xR) * 0.5f + c.feedback[0] * t[0] + c.feedback[1] * t[1] + c.feedback[2] * t[2] +
                         c.feedback[3] * t[3]) *
                        c.drive;
        const float y = clip(v) * c.outGain;
        low = low + c.f * band;
        high = (y - low) - band * c.damping;
        band = band + c.f * high;
        line[w] = c.wThru * y + c.wLow * low + c.wBand * band + c.wHigh * high;
        outL[j] =
            acc * oL + c.dry * xL + c.wet * (c.left[0] * t[0] + c.left[1] * t[1] + c.left[2] * t[2] + c.left[3] * t[3]);
        outR[j] = acc * oR + c.dry * xR +
                  c.wet * (c.right[0] * t[0] + c.right[1] * t[1] + c.right[2] * t[2] + c.right[3] * t[3]);
        w = w + 1;
        if (w >= n)
            w = 0;
    }
    state[0] = low;
    state[1] = high;
    state[2] = band;
}

} // namespace bench
