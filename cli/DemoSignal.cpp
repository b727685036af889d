#include "DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qtool {

namespace {

struct Note {
    double start;     // seconds
    double frequency; // Hz
    float level;
};

// An A minor arpeggio with a low answer: sparse enough for the echoes to be heard between notes.
constexpr Note kNotes[] = {
    {0.00, 220.00, 0.45f}, {0.30, 261.63, 0.40f}, {0.60, 329.63, 0.40f}, {0.90, 440.00, 0.35f},
    {1.50, 392.00, 0.40f}, {1.80, 329.63, 0.35f}, {2.40, 110.00, 0.50f},
};
constexpr double kNoteSeconds = 1.2;
constexpr double kTotalSeconds = 3.6;

// A plucked string: a burst of noise circulating in a line one period long, each pass averaged
// with its neighbour, which damps the high partials first.
void pluck(std::vector<float>& out, const Note& note, double rate, std::uint32_t& seed)
{
    const auto period = std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(rate / note.frequency)));
    std::vector<float> line(period);
    float previous = 0.0f;
    for (float& s : line) {
        seed = seed * 1664525u + 1013904223u;
        const float noise = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
        previous = 0.5f * (previous + noise); // a softer pick: less of the top end
        s = previous;
    }
    const auto begin = static_cast<std::size_t>(note.start * rate);
    const auto length = static_cast<std::size_t>(kNoteSeconds * rate);
    const float decay = 0.996f;
    for (std::size_t i = 0; i < length && begin + i < out.size(); ++i) {
        const std::size_t k = i % period;
        const float current = line[k];
        line[k] = decay * 0.5f * (current + line[(k + 1) % period]);
        // The last twentieth fades out, so no note ends on a click.
        const float fade = std::min(1.0f, static_cast<float>(length - i) / static_cast<float>(length / 20));
        out[begin + i] += note.level * current * fade;
    }
}

} // namespace

std::vector<float> demoSignal(double sampleRate)
{
    std::vector<float> out(static_cast<std::size_t>(kTotalSeconds * sampleRate), 0.0f);
    std::uint32_t seed = 0x51ed2705u;
    for (const Note& note : kNotes)
        pluck(out, note, sampleRate, seed);
    float peak = 0.0f;
    for (float s : out)
        peak = std::max(peak, std::fabs(s));
    const float gain = peak > 0.0f ? 0.45f / peak : 1.0f;
    for (float& s : out)
        s *= gain;
    return out;
}

} // namespace qtool
