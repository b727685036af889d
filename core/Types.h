// The plain values the signal path works on: the filter's state, the host's channels for one block,
// the delay line, and which build of the frame loop runs.
#pragma once

#include <cstdint>

namespace quadecho {

// The state-variable filter between frames: low- and band-pass carry over, high-pass is the last
// frame's output. In any number type: float on the audio path, others where the blocked form is
// derived from the same code.
template <class T> struct FilterStateOf {
    T low, high, band;
};
using FilterState = FilterStateOf<float>;

// The morph's weights for through, low, band and high.
template <class T> struct MorphWeights {
    T wThru, wLow, wBand, wHigh;
};

struct Channels {
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    int inStride; // floats from one frame to the next
    int outStride;
};

// One call of the host: its channels, how many frames, and whether the outputs receive the
// effect's output (false) or add it to what they hold (true).
struct AudioBlock {
    Channels io;
    std::uint32_t frames;
    bool accumulate;
};

// The line holds this long at the rate it was sized for; the longest tap time reads all of it.
constexpr float kLineSeconds = 2.0f;
// Rates a line can be sized for: kLineSeconds of at least one and at most this many samples.
constexpr float kLowestRate = 1.0f;
constexpr float kHighestRate = 1536000.0f;

constexpr bool isUsableRate(float rate) noexcept
{
    return rate >= kLowestRate && rate <= kHighestRate; // false for not-a-number too
}

// Samples in a line sized for a usable rate.
constexpr std::int32_t lineLengthFor(float rate) noexcept { return static_cast<std::int32_t>(rate * kLineSeconds); }

// The circular delay line, whoever owns its memory: length samples, the slot the next frame
// writes (0 <= writeIndex < length), and the rate it was sized for.
struct DelayLine {
    float* samples;
    std::int32_t length;
    std::int32_t writeIndex;
    float rate;
};

// The builds of the frame loop: the portable one runs everywhere (SSE2 on x86); the one for x86
// processors with AVX2 and fused multiply-add rounds fused products once.
enum class LoopBuild : std::int32_t { Portable, Avx2Fma };

} // namespace quadecho
