#include "FilterBlock.h"

#include "Kernel.h"

namespace quadecho {

namespace {

// A number kept as a whole part and a small part, added apart. Stepping a unit state through the
// filter in these gives A − I as the small part alone, without subtracting two numbers near 1.
// Every product in a filter step has a coefficient as one factor: it is small, and all of it goes
// into the small part.
struct Split {
    double whole, part;
    double value() const noexcept { return whole + part; }
};
Split operator+(Split a, Split b) noexcept { return {a.whole + b.whole, a.part + b.part}; }
Split operator-(Split a, Split b) noexcept { return {a.whole - b.whole, a.part - b.part}; }
Split operator*(double k, Split a) noexcept { return {0.0, k * a.value()}; }
Split operator*(Split a, double k) noexcept { return k * a; }

struct Matrix {
    double m[2][2]; // rows: low, band; columns: from low, from band
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

// row·A, for a row vector over (low, band).
void timesStep(double (&row)[2], const Matrix& a) noexcept
{
    const double low = row[0] * a.m[0][0] + row[1] * a.m[1][0];
    row[1] = row[0] * a.m[0][1] + row[1] * a.m[1][1];
    row[0] = low;
}

} // namespace

FilterFrame filterFrame(double f, double damping, const MorphWeights<double>& weights) noexcept
{
    constexpr Split kZero{0.0, 0.0}, kOne{1.0, 0.0};
    struct Unit {
        FilterStateOf<Split> state; // low, high, band
        Split input;
    };
    const Unit units[] = {{{kOne, kZero, kZero}, kZero}, {{kZero, kZero, kOne}, kZero}, {{kZero, kZero, kZero}, kOne}};
    FilterFrame one{};
    for (int k = 0; k < 3; ++k) {
        FilterStateOf<Split> s = units[k].state;
        kernel::filterStep(units[k].input, f, damping, s);
        const double z = kernel::morph(weights, units[k].input, s.low, s.band, s.high).value();
        const double lowChange = (s.low - units[k].state.low).value();
        const double bandChange = (s.band - units[k].state.band).value();
        if (k < 2) {
            one.stepLessIdentity[0][k] = lowChange;
            one.stepLessIdentity[1][k] = bandChange;
            one.c[k] = z;
            one.h[k] = s.high.value();
        } else {
            one.b[0] = lowChange;
            one.b[1] = bandChange;
            one.d = z;
            one.e = s.high.value();
        }
    }
    return one;
}

void formFilterBlock(FilterBlock& b, float fIn, float dampingIn, const MorphWeights<float>& weights,
                     float outGain) noexcept
{
    const double f = fIn, d = dampingIn;
    // A negative F (a cutoff below 0 from a stored program) makes D negative too: that stays with
    // the recursion.
    b.enabled = kBlockedFilterBuilt && f > 0.0 && d > 0.0 && f * d >= kBlockedFilterMinFD;
    if (!b.enabled)
        return;

    const FilterFrame one = filterFrame(f, d, {weights.wThru, weights.wLow, weights.wBand, weights.wHigh});
    const auto& s1 = one.stepLessIdentity;
    const Matrix p1{{{s1[0][0], s1[0][1]}, {s1[1][0], s1[1][1]}}};
    const Matrix a{{{1.0 + p1.m[0][0], p1.m[0][1]}, {p1.m[1][0], 1.0 + p1.m[1][1]}}};
    const Matrix p2 = times(p1, p1, 2.0), p4 = times(p2, p2, 2.0), p8 = times(p4, p4, 2.0);
    const double g = outGain;
    const double gb[] = {one.b[0] * g, one.b[1] * g};

    // Frame j of a half: C·Aʲ and H·Aʲ from the state at its start, and what input j − k adds.
    double c[] = {one.c[0], one.c[1]}, h[] = {one.h[0], one.h[1]};
    b.response[0] = static_cast<float>(one.d * g);
    b.highResponse[0] = static_cast<float>(one.e * g);
    for (int j = 0; j < kFilterHalf; ++j) {
        b.fromLow[j] = static_cast<float>(c[0]);
        b.fromBand[j] = static_cast<float>(c[1]);
        if (j + 1 < kFilterHalf) {
            b.response[j + 1] = static_cast<float>(c[0] * gb[0] + c[1] * gb[1]);
            b.highResponse[j + 1] = static_cast<float>(h[0] * gb[0] + h[1] * gb[1]);
        } else {
            b.highFromLow = static_cast<float>(h[0]);
            b.highFromBand = static_cast<float>(h[1]);
        }
        timesStep(c, a);
        timesStep(h, a);
    }

    // What input i adds to the state after the group, A^(7−i)·B·g: the last four inputs' by
    // steps of A, the first four's as A⁴ times those.
    double v[] = {gb[0], gb[1]};
    for (int i = kFilterBlock - 1; i >= kFilterHalf; --i) {
        const double early[] = {v[0] + p4.m[0][0] * v[0] + p4.m[0][1] * v[1],
                                v[1] + p4.m[1][0] * v[0] + p4.m[1][1] * v[1]};
        b.inputToLow[i] = static_cast<float>(v[0]);
        b.inputToBand[i] = static_cast<float>(v[1]);
        b.inputToLow[i - kFilterHalf] = static_cast<float>(early[0]);
        b.inputToBand[i - kFilterHalf] = static_cast<float>(early[1]);
        const double low = a.m[0][0] * v[0] + a.m[0][1] * v[1];
        v[1] = a.m[1][0] * v[0] + a.m[1][1] * v[1];
        v[0] = low;
    }

    for (int r = 0; r < 2; ++r) {
        b.powerFromLow[r] = static_cast<float>(p8.m[r][0]);
        b.powerFromBand[r] = static_cast<float>(p8.m[r][1]);
        b.powerFromLow[r + 2] = static_cast<float>(p4.m[r][0]);
        b.powerFromBand[r + 2] = static_cast<float>(p4.m[r][1]);
    }
}

} // namespace quadecho
