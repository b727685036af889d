#include "Strip.h"

#include "core/Coefficients.h"
#include "core/EchoPattern.h"
#include "core/FilterResponse.h"
#include "core/Types.h"

#include <algorithm>
#include <cmath>

namespace quadecho::draw {

namespace {

constexpr double kLowestHz = 20.0;

void fillRows(Image& image, int top, int rows, std::uint32_t colour) noexcept
{
    std::fill_n(image.pixels() + static_cast<std::size_t>(top) * image.width(),
                static_cast<std::size_t>(rows) * image.width(), colour);
}

// Rows of a share drawn at db in a half of `half` rows: none at the floor or below (or for no
// energy at all), every row at 0 dB and above.
int shareRows(double db, int half) noexcept
{
    if (!(db > kEchoFloorDb))
        return 0;
    return static_cast<int>(std::lround(std::min(1.0, (db - kEchoFloorDb) / -kEchoFloorDb) * half));
}

// Left up from the centre, right down from it.
void drawShare(Image& image, const Layout& l, int x, int rows, bool left, std::uint32_t colour) noexcept
{
    for (int r = 1; r <= std::min(rows, l.centre); ++r)
        image.at(x, left ? l.centre - r : l.centre + r) = colour;
}

void drawEchoes(const BlockCoefficients& c, float rate, Image& image, const Layout& l) noexcept
{
    fillRows(image, 0, l.echoRows, colour::kEchoBand);
    fillRows(image, l.centre, 1, colour::kCentre);
    const int width = image.width(), half = l.centre;
    const std::int32_t length = lineLengthFor(rate);

    SideEnergy columns[kMostEchoColumns];
    echoPattern(c, rate, length, {columns, static_cast<std::size_t>(width)});
    for (int x = 0; x < width; ++x) {
        drawShare(image, l, x, shareRows(10.0 * std::log10(columns[x].left), half), true, colour::kRepeats);
        drawShare(image, l, x, shareRows(10.0 * std::log10(columns[x].right), half), false, colour::kRepeats);
    }
    // Markers, however quiet: every tap with a level shows where it is, on the sides its pan
    // reaches, even where the wet level silences it.
    for (int i = 0; i < kNumTaps; ++i) {
        const int x = echoColumn(c, i, length, width);
        const float shares[2] = {c.left[i], c.right[i]}, heard[2] = {c.wetLeft[i], c.wetRight[i]};
        for (int side = 0; side < 2; ++side)
            if (shares[side] > 0.0f)
                drawShare(image, l, x, std::max(1, shareRows(20.0 * std::log10(heard[side]), half)), side == 0,
                          colour::kFirstEcho);
    }
}

void drawFilter(const BlockCoefficients& c, float rate, Image& image, const Layout& l) noexcept
{
    fillRows(image, l.filterTop, l.filterRows, colour::kFilterBand);
    const int last = l.filterRows - 1;
    // A row for a level: the top row at +12 dB and above (and where the response has no value),
    // the bottom one at -36 dB and below.
    const auto row = [&](double db) {
        const double share = (kFilterTopDb - db) / (kFilterTopDb - kFilterFloorDb);
        return l.filterTop + (share > 0.0 ? static_cast<int>(std::lround(std::min(share, 1.0) * last)) : 0);
    };
    fillRows(image, row(0.0), 1, colour::kUnity);

    const int width = image.width();
    const double span = std::log(0.5 * rate / kLowestHz);
    int previous = 0;
    for (int x = 0; x < width; ++x) {
        const double hz = kLowestHz * std::exp(span * (x + 0.5) / width);
        const int y = row(filterResponseDb(c, hz, rate));
        // Joined to the column before by a run that stops short of its row: a peak's row is only
        // where the response reaches it.
        const int from = x == 0 ? y : previous + (y > previous) - (y < previous);
        for (int r = std::min(from, y); r <= std::max(from, y); ++r)
            image.at(x, r) = colour::kResponse;
        previous = y;
    }
}

} // namespace

Size stripSize(std::uint32_t w, std::uint32_t h) noexcept
{
    if (w == 0 || h == 0)
        return {0, 0};
    const int width = static_cast<int>(std::min<std::uint32_t>(w, kMostEchoColumns));
    return {width, static_cast<int>(std::min<std::uint32_t>(h, static_cast<std::uint32_t>(width + 1) / 2))};
}

Layout stripLayout(int height) noexcept
{
    int filterRows = height / 3;
    int echoRows = height - filterRows;
    if (echoRows % 2 == 0) { // an odd number, with the centre row in the middle
        --echoRows;
        ++filterRows;
    }
    return {echoRows, echoRows / 2, echoRows, filterRows};
}

void drawStrip(const float (&values)[kNumParams], HostValues policy, float sampleRate, Image& image) noexcept
{
    if (!isUsableRate(sampleRate)) { // no line, no picture
        fillRows(image, 0, image.height(), colour::kEchoBand);
        return;
    }
    CoefficientUpdater updater(policy);
    const BlockCoefficients& c = updater.update(values, sampleRate, lineLengthFor(sampleRate));
    const Layout l = stripLayout(image.height());
    drawEchoes(c, sampleRate, image, l);
    if (l.filterRows > 0)
        drawFilter(c, sampleRate, image, l);
}

} // namespace quadecho::draw
