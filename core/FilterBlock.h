// The state-variable filter and its morph over kFilterBlock frames at once. The filter is linear
// in its input, and a stretch's inputs are known before it starts (every tap reads what was
// written at least the stretch's length earlier), so each frame's morph output and the state after
// the stretch follow from the state before it and the inputs alone: the frame-to-frame chain of
// the recursion becomes one short chain per group of frames.
//
// One frame (kernel::filterStep, then kernel::morph) as a linear system in the state
// s = (low, band) before the frame and the frame's input y (the clipper's output; g, the output
// gain, is folded into every input coefficient below):
//
//     s'   = A·s + B·g·y          the state after the frame
//     z    = C·s + D·g·y          what the morph writes into the line
//     high = H·s + E·g·y          the filter's high output (the third value of its state)
//
// A, B, C, D, H and E are not derived by hand: they come from running filterStep and morph
// themselves on the unit states and a unit input (FilterBlock.cpp), so that a change of the
// recursion changes this form with it. A − I comes out directly, and A⁴ − I and A⁸ − I are
// formed from it by squaring, (A²ᵏ − I) = (Aᵏ − I)·(Aᵏ − I + 2I): no subtraction of two numbers
// near 1.
//
// A group is eight frames y_0 … y_7 in two halves of four, starting from s_0. With s_4 the state
// four frames on and h = 0 or 4 a half's first frame:
//
//     z_(h+j) = C·Aʲ·s_h + Σ_(i≤j) response[j−i]·y_(h+i)     response[0] = D·g, response[k] = C·Aᵏ⁻¹·B·g
//     s_8     = s_0 + (A⁸ − I)·s_0 + Σ_(i<8) A^(7−i)·B·g·y_i
//     s_4     = s_0 + (A⁴ − I)·s_0 + Σ_(i<4) A^(3−i)·B·g·y_i
//
// Three different things join the groups, each with its own name:
//   the step powers   A⁸ − I and A⁴ − I: what the state adds to itself over a group or a half;
//   the input sums    Σ A^(7−i)·B·g·y_i and Σ A^(3−i)·B·g·y_i: what a group's inputs add to it;
//   the carried state (low, band) of s_8 and s_4, the one chain that runs from group to group.
//
// What every lane holds (four floats a vector; the frame loop loads them as they are stored):
//
//   vector                          lane 0        lane 1         lane 2        lane 3
//   fromLow, fromBand               C·A⁰          C·A¹           C·A²          C·A³      (low, band column)
//   response[k]                     response[k] in every lane
//   inputToLow/Band[0..3]           A⁷·B·g        A⁶·B·g         A⁵·B·g        A⁴·B·g    (low, band row)
//   inputToLow/Band[4..7]           A³·B·g        A²·B·g         A¹·B·g        A⁰·B·g
//   input sums                      Σ low of s_8  Σ band of s_8  Σ low of s_4  Σ band of s_4
//   powerFromLow/Band               A⁸ − I: low   A⁸ − I: band   A⁴ − I: low   A⁴ − I: band  (row)
//   carried state                   low of s_8    band of s_8    low of s_4    band of s_4
//
// A⁸ − I rounded to single precision once is enough: a second, smaller single-precision part of
// it would be lost where its product meets the state (its share is about 1e-10 of the state),
// and the blocked form runs only where the filter is damped enough for the drift of A⁸'s
// eigenvalues (about 1e-8 per group) to stay far below the damping per group.
#pragma once

#include "Types.h"
#include "platform/Arch.h"

namespace quadecho {

// A group of eight frames in two halves of four: the state after each half comes from the state
// at the group's start, so only the state after the whole group is carried to the next. The
// lanes above, and the frame loop's shuffles, are written for exactly these sizes.
constexpr int kFilterBlock = 8;
constexpr int kFilterHalf = kFilterBlock / 2;
static_assert(kFilterHalf == 4, "a half of a group is one vector of four floats");

// Where the blocked form is used at all: on x86 and ARM, whose vector units (SSE2 or AVX2, NEON)
// pay for the extra products; the same source through the compiler's vector types. On PowerPC,
// built without AltiVec, the recursion runs frame by frame.
constexpr bool kBlockedFilterBuilt = QUADECHO_ARCH_X86 || QUADECHO_ARCH_AARCH64;

// Below this F·D the filter is too close to undamped: the blocked form's rounding leaves a small
// systematic damping error that a feedback loop near unit gain amplifies, so the recursion runs.
constexpr double kBlockedFilterMinFD = 1e-4;

struct FilterBlock {
    bool enabled; // damped enough, and built for this processor
    float fromLow[kFilterHalf], fromBand[kFilterHalf], response[kFilterHalf];
    float powerFromLow[4], powerFromBand[4];
    float inputToLow[kFilterBlock], inputToBand[kFilterBlock];
    // The last frame's high, H·A³ from the state at its half's start and the half's inputs: the
    // state the recursion leaves holds it.
    float highFromLow, highFromBand, highResponse[kFilterHalf];
};

// One frame's matrices (the form above), read off the recursion itself, in double precision.
struct FilterFrame {
    double stepLessIdentity[2][2]; // A − I; rows: low, band; columns: from low, from band
    double b[2];                   // B: the state's change from the input (before the output gain)
    double c[2], d;                // C, D: the morph's output
    double h[2], e;                // H, E: the high output
};
FilterFrame filterFrame(double f, double damping, const MorphWeights<double>& weights) noexcept;

// Formed in double precision, in O(kFilterBlock²). The inputs y are the clipper's outputs before
// the output gain: it is folded into the input coefficients.
void formFilterBlock(FilterBlock& b, float f, float damping, const MorphWeights<float>& weights,
                     float outGain) noexcept;

} // namespace quadecho
