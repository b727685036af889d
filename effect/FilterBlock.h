// The state-variable filter and its morph over kFilterBlock frames at once. The filter is linear
// in its input, and a stretch's inputs are known before it starts (every tap reads what was
// written at least the stretch's length earlier), so each frame's morph output and the state after
// the stretch follow from the state before it and the inputs alone: the frame-to-frame chain of
// the recursion becomes one short chain per group of frames.
#pragma once

#include "platform/Arch.h"

namespace quadecho {

// A group of eight frames in two halves of four: the state after each half comes from the state
// at the group's start, so only the state after the whole group is carried to the next.
constexpr int kFilterBlock = 8;
constexpr int kFilterHalf = kFilterBlock / 2;

// Where the blocked form is used at all: on x86, where the vector units pay for the extra
// products. Elsewhere the recursion runs frame by frame.
constexpr bool kBlockedFilterBuilt = QUADECHO_ARCH_X86;

// Below this F·D the filter is too close to undamped: the blocked form's rounding leaves a small
// systematic damping error that a feedback loop near unit gain amplifies, so the recursion runs.
constexpr double kBlockedFilterMinFD = 1e-4;

// With s = (low, band) at the start of a group and the group's inputs y_0 … y_7, and sh the state
// four frames on, the half of a group starting at frame h (0 or 4) with state s_h gives
//   z_(h+j) = fromLow[j]·low_h + fromBand[j]·band_h + Σ_{i≤j} response[j − i]·y_(h+i),
// and the four lanes (low and band after the group, low and band four frames on) are
//   (s, s) + (carry·s + (Σ_i gainLow[i]·y_i, Σ_i gainBand[i]·y_i, Σ_{i<4} gainLow[i+4]·y_i, …)),
// carry holding A^8 − I and A^4 − I, where A is one frame's step (what the first input of a half
// adds four frames on is what the fifth adds eight frames on). The part for the whole group is
// kept as hi + lo: rounded to single precision once, A^8's eigenvalues would drift off the unit
// circle by about 1e-8 per group, enough to change a long ringing audibly.
struct FilterBlock {
    bool enabled; // damped enough, and built for this processor
    float fromLow[kFilterHalf], fromBand[kFilterHalf], response[kFilterHalf];
    float carryFromLowHi[4], carryFromLowLo[4], carryFromBandHi[4], carryFromBandLo[4];
    float gainLow[kFilterBlock], gainBand[kFilterBlock];
    float outGain;      // for the last frame's high
    float highFromLast; // 1 / (1 − F·D): the last frame's high from the state after it
};

// Formed in double precision, in O(kFilterBlock²). The inputs y are the clipper's outputs before
// the output gain: it is folded into response and the gains.
void formFilterBlock(FilterBlock& b, float f, float damping, float wThru, float wLow, float wBand, float wHigh,
                     float outGain) noexcept;

} // namespace quadecho
