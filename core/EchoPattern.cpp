#include "EchoPattern.h"

#include "FilterResponse.h"

#include <algorithm>
#include <cmath>

namespace quadecho {

namespace {

constexpr int kFineSteps = 2048;
constexpr int kMostSteps = kFineSteps + kMostEchoColumns; // width × ⌈2048 / width⌉ stays below
constexpr double kMostEnergy = 1e4;
constexpr double kMostFilterGain = 1e3; // an undamped filter answers infinity at its own frequency

} // namespace

int echoColumn(const BlockCoefficients& c, int tap, std::int32_t lineLength, int columns) noexcept
{
    const auto column = static_cast<std::int64_t>(echoFrames(c, tap, lineLength)) * columns / lineLength;
    return static_cast<int>(std::min<std::int64_t>(column, columns - 1));
}

void echoPattern(const BlockCoefficients& c, double sampleRate, std::int32_t lineLength,
                 std::span<SideEnergy> columns) noexcept
{
    const int width = static_cast<int>(columns.size());
    if (width < 1 || width > kMostEchoColumns || lineLength < 1)
        return;
    const int perColumn = (kFineSteps + width - 1) / width;
    const int steps = width * perColumn;

    double gain = std::abs(filterResponse(c, filterFrequency(c.f, sampleRate), sampleRate));
    if (!(gain < kMostFilterGain))
        gain = kMostFilterGain;
    // Each tap's reach in steps, split between the two steps around it so that repeats keep their
    // times however many passes they take; at least one step, so that nothing feeds itself.
    int whole[kNumTaps];
    double near[kNumTaps], far[kNumTaps], loop[kNumTaps];
    for (int i = 0; i < kNumTaps; ++i) {
        const double reach = std::max(1.0, static_cast<double>(echoFrames(c, i, lineLength)) * steps / lineLength);
        whole[i] = static_cast<int>(reach);
        far[i] = reach - whole[i];
        near[i] = 1.0 - far[i];
        const double pass = static_cast<double>(c.feedback[i]) * gain;
        loop[i] = pass * pass;
    }

    double line[kMostSteps]; // the energy written into the line, per step
    std::fill(columns.begin(), columns.end(), SideEnergy{0.0, 0.0});
    for (int s = 0; s < steps; ++s) {
        double written = s == 0 ? 1.0 : 0.0, left = 0.0, right = 0.0;
        for (int i = 0; i < kNumTaps; ++i) {
            const int from = s - whole[i];
            if (from < 0)
                continue;
            const double read = near[i] * line[from] + (from > 0 ? far[i] * line[from - 1] : 0.0);
            written += loop[i] * read;
            left += static_cast<double>(c.wetLeft[i]) * c.wetLeft[i] * read;
            right += static_cast<double>(c.wetRight[i]) * c.wetRight[i] * read;
        }
        line[s] = std::min(written, kMostEnergy);
        SideEnergy& column = columns[static_cast<std::size_t>(s / perColumn)];
        column.left = std::min(column.left + left, kMostEnergy);
        column.right = std::min(column.right + right, kMostEnergy);
    }
}

} // namespace quadecho
