#include "FilterBlock.h"

namespace quadecho {

namespace {

struct Matrix {
    double m[2][2];
};

// x·(y + s·I)
Matrix times(const Matrix& x, const Matrix& y, double s = 0.0) noexcept
{
    Matrix r{};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            r.m[i][j] = x.m[i][0] * (y.m[0][j] + (j == 0 ? s : 0.0)) + x.m[i][1] * (y.m[1][j] + (j == 1 ? s : 0.0));
    return r;
}

} // namespace

void formFilterBlock(FilterBlock& b, float fIn, float dampingIn, float wThru, float wLow, float wBand, float wHigh,
                     float outGain) noexcept
{
    const double f = fIn, d = dampingIn;
    // A negative F (a cutoff below 0 from a stored program) makes D negative too: that stays with
    // the recursion.
    b.outGain = outGain;
    b.enabled = kBlockedFilterBuilt && f > 0.0 && d > 0.0 && f * d >= kBlockedFilterMinFD;
    if (!b.enabled)
        return;

    // One frame: low' = low + f·band, high = y − low − (f + d)·band, band' = band + f·high.
    // p1 = A − I; A^2k − I = (A^k − I)·(A^k − I + 2I): no subtraction of two numbers near 1.
    const Matrix p1{{{0.0, f}, {-f, -f * (f + d)}}};
    const Matrix a{{{1.0, f}, {-f, 1.0 + p1.m[1][1]}}};
    const Matrix p2 = times(p1, p1, 2.0), p4 = times(p2, p2, 2.0), p8 = times(p4, p4, 2.0);

    // The morph of one frame from the state before it (h) and from its input (direct).
    double h[2] = {wLow - wBand * f - wHigh, wLow * f + wBand * a.m[1][1] - wHigh * (f + d)};
    const double gain = outGain;
    b.response[0] = static_cast<float>((wThru + wBand * f + wHigh) * gain);
    for (int j = 0; j < kFilterHalf; ++j) {
        b.fromLow[j] = static_cast<float>(h[0]);
        b.fromBand[j] = static_cast<float>(h[1]);
        if (j + 1 < kFilterHalf)
            b.response[j + 1] = static_cast<float>(h[1] * f * gain); // the input enters band with gain f
        const double h0 = h[0] * a.m[0][0] + h[1] * a.m[1][0];
        h[1] = h[0] * a.m[0][1] + h[1] * a.m[1][1];
        h[0] = h0;
    }

    // What input i adds to the state after the group, A^(7−i)·(0, f): the last four inputs' by
    // steps of A, the first four's as A^4 times those.
    double v[2] = {0.0, f * gain};
    for (int i = kFilterBlock - 1; i >= kFilterHalf; --i) {
        const double early[2] = {v[0] + p4.m[0][0] * v[0] + p4.m[0][1] * v[1],
                                 v[1] + p4.m[1][0] * v[0] + p4.m[1][1] * v[1]};
        b.gainLow[i] = static_cast<float>(v[0]);
        b.gainBand[i] = static_cast<float>(v[1]);
        b.gainLow[i - kFilterHalf] = static_cast<float>(early[0]);
        b.gainBand[i - kFilterHalf] = static_cast<float>(early[1]);
        const double v0 = a.m[0][0] * v[0] + a.m[0][1] * v[1];
        v[1] = a.m[1][0] * v[0] + a.m[1][1] * v[1];
        v[0] = v0;
    }

    for (int r = 0; r < 2; ++r) {
        const float lowHi = static_cast<float>(p8.m[r][0]), bandHi = static_cast<float>(p8.m[r][1]);
        b.carryFromLowHi[r] = lowHi;
        b.carryFromLowLo[r] = static_cast<float>(p8.m[r][0] - lowHi);
        b.carryFromBandHi[r] = bandHi;
        b.carryFromBandLo[r] = static_cast<float>(p8.m[r][1] - bandHi);
        // Only the outputs hear the state four frames on: single precision is enough.
        b.carryFromLowHi[r + 2] = static_cast<float>(p4.m[r][0]);
        b.carryFromLowLo[r + 2] = 0.0f;
        b.carryFromBandHi[r + 2] = static_cast<float>(p4.m[r][1]);
        b.carryFromBandLo[r + 2] = 0.0f;
    }
    b.highFromLast = static_cast<float>(1.0 / (1.0 - f * d));
}

} // namespace quadecho
