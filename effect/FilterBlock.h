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

// With s = (low, band) at the start of a group, the group's inputs y_0 … y_7, and the state four
// frames on s4 = (low4, band4), frame j of a half (its first frame being h and its state sh):
//   z_(h+j) = fromLow[j]·low_h + fromBand[j]·band_h + Σ_{i≤j} fromInput[3 + j − i]·y_(h+i)
// The four lanes (low after the group, band after it, low4, band4) are
//   (s, s) + (carry·s + Σ_i gain[i]·y_i),
// carry holding A^8 − I and A^4 − I, where A is one frame's step. The group's part is kept as
// hi + lo: rounded to single precision once, A^8's eigenvalues would drift off the unit circle by
// about 1e-8 per group, enough to change a long ringing audibly.
struct FilterBlock {
    bool enabled; // damped enough, and built for this processor
    float fromLow[kFilterHalf], fromBand[kFilterHalf];
    float fromInput[2 * kFilterHalf - 1]; // three zeros, then the response 0, 1, 2, 3 frames on
    float carryFromLowHi[4], carryFromLowLo[4], carryFromBandHi[4], carryFromBandLo[4];
    float gain[kFilterBlock][4];
    float highFromLast; // 1 / (1 − F·D): the last frame's high from the state after it
};

// Formed in double precision, in O(kFilterBlock²), only when F, D or a morph weight changes.
FilterBlock formFilterBlock(float f, float damping, float wThru, float wLow, float wBand, float wHigh) noexcept;

} // namespace quadecho
