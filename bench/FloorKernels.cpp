#include "FloorKernels.h"

#include "core/Kernel.h"

namespace bench {

using namespace quadecho;

float filterFloor(const float* loopInput, std::uint32_t frames, float f, float damping, FilterState& state)
{
    FilterState s = state;
    for (std::uint32_t j = 0; j < frames; ++j)
        kernel::filterStep(kernel::softClip(loopInput[j]), f, damping, s);
    state = s;
    return s.low + s.high + s.band;
}

void literalLoop(const BlockCoefficients& c, float* line, std::int32_t n, std::int32_t& w, FilterState& state,
                 const float* inL, const float* inR, float* outL, float* outR, std::uint32_t frames, bool accumulate)
{
    FilterState s = state;
    std::int32_t r[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i)
        r[i] = n - c.delay[i];
    const float acc = accumulate ? 1.0f : 0.0f;
    for (std::uint32_t j = 0; j < frames; ++j) {
        const float xL = inL[j], xR = inR[j], oL = outL[j], oR = outR[j];
        float t[kNumTaps];
        for (int i = 0; i < kNumTaps; ++i)
            t[i] = line[(w + r[i]) % n];
        float v = (xL + xR) * 0.5f, sumL = 0.0f, sumR = 0.0f;
        for (int i = 0; i < kNumTaps; ++i) {
            v = v + c.feedback[i] * t[i];
            sumL = sumL + c.left[i] * t[i];
            sumR = sumR + c.right[i] * t[i];
        }
        const float y = kernel::softClip(v * c.drive) * c.outGain;
        kernel::filterStep(y, c.f, c.damping, s);
        line[w] = ((c.morph.wThru * y + c.morph.wLow * s.low) + c.morph.wBand * s.band) + c.morph.wHigh * s.high;
        outL[j] = acc * oL + c.dry * xL + c.wet * sumL;
        outR[j] = acc * oR + c.dry * xR + c.wet * sumR;
        w = w + 1;
        if (w >= n)
            w = 0;
    }
    state = s;
}

} // namespace bench
