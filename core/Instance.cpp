#include "Instance.h"

#include <algorithm>
#include <new>

namespace quadecho {

std::int32_t lineSamplesFor(double rate) noexcept
{
    // Checked in double first: a rate beyond the float range has no float to become.
    if (!(rate >= kLowestRate && rate <= kHighestRate) || !isUsableRate(static_cast<float>(rate)))
        return 0;
    return lineLengthFor(static_cast<float>(rate)); // at least 2
}

void useLine(const LineState& state, double rate) noexcept
{
    state.length = lineSamplesFor(rate);
    state.writeIndex = 0;
    state.rate = static_cast<float>(rate);
}

void forgetHistory(const LineState& state) noexcept
{
    std::fill_n(state.samples, state.length, 0.0f);
    state.writeIndex = 0;
    std::fill_n(state.filter, 3, 0.0f);
}

bool Instance::prepare(double rate) noexcept
{
    const std::int32_t needed = lineSamplesFor(rate);
    if (needed == 0)
        return false;
    std::unique_ptr<float[]> line(new (std::nothrow) float[static_cast<std::size_t>(needed)]());
    if (!line)
        return false;
    samples = std::move(line);
    useLine(state(), rate);
    std::fill_n(filter, 3, 0.0f);
    return true;
}

void Instance::reset() noexcept
{
    if (prepared())
        forgetHistory(state());
}

void Instance::process(const float (&values)[kNumParams], const AudioBlock& block) noexcept
{
    if (prepared())
        runBlock(path, state(), values, lineRate, block);
}

} // namespace quadecho
