#include "Render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>

namespace qtool {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// A bar on stderr, drawn only once a render has run for a second and at most ten times a second.
class ProgressBar {
public:
    ProgressBar(bool enabled, long long inputFrames, double rate)
        : enabled(enabled), inputFrames(inputFrames), rate(rate), started(Clock::now()), lastDrawn(started)
    {}
    ~ProgressBar()
    {
        if (drawn)
            std::fprintf(stderr, "\r%*s\r", kWidth + 40, "");
    }

    void update(long long done, bool inTail)
    {
        if (!enabled)
            return;
        const auto now = Clock::now();
        if (now - started < std::chrono::seconds(1) || now - lastDrawn < std::chrono::milliseconds(100))
            return;
        lastDrawn = now;
        drawn = true;
        if (inTail) {
            std::fprintf(stderr, "\rrendering the echo tail: %.1f s%*s", static_cast<double>(done - inputFrames) / rate,
                         kWidth, "");
        } else {
            const double fraction =
                inputFrames > 0 ? static_cast<double>(done) / static_cast<double>(inputFrames) : 1.0;
            const int filled = static_cast<int>(fraction * kWidth);
            std::fprintf(stderr, "\r[%s%s] %3d%%  %.1f / %.1f s", std::string(filled, '#').c_str(),
                         std::string(kWidth - filled, '-').c_str(), static_cast<int>(fraction * 100.0),
                         static_cast<double>(done) / rate, static_cast<double>(inputFrames) / rate);
        }
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kWidth = 40;
    bool enabled, drawn = false;
    long long inputFrames;
    double rate;
    Clock::time_point started, lastDrawn;
};

// Feeds the effect's inputs from the source's channels: a mono source feeds all of them, a
// single input takes the mean of all channels, otherwise channel i feeds input i.
void mapInputs(const Planar& from, Planar& to, int frames)
{
    const std::size_t channels = from.size();
    for (std::size_t input = 0; input < to.size(); ++input) {
        float* out = to[input].data();
        if (channels == 1) {
            std::copy_n(from[0].data(), frames, out);
        } else if (to.size() == 1) {
            for (int f = 0; f < frames; ++f) {
                float sum = 0.0f;
                for (const auto& channel : from)
                    sum += channel[static_cast<std::size_t>(f)];
                out[f] = sum / static_cast<float>(channels);
            }
        } else if (input < channels) {
            std::copy_n(from[input].data(), frames, out);
        } else {
            std::fill_n(out, frames, 0.0f);
        }
    }
}

std::vector<float*> pointers(Planar& planar)
{
    std::vector<float*> p;
    for (auto& channel : planar)
        p.push_back(channel.data());
    return p;
}

void checkInterrupt()
{
    if (interrupted)
        throw Interrupted();
}

} // namespace

void requestInterrupt() { interrupted = 1; }

bool interruptRequested() { return interrupted != 0; }

BufferSource::BufferSource(Planar audio, double rate) : audio(std::move(audio)), rate(rate) {}

int BufferSource::read(float* const* buffers, int frames)
{
    const std::size_t n = std::min(static_cast<std::size_t>(frames), audio.front().size() - position);
    for (std::size_t c = 0; c < audio.size(); ++c)
        std::copy_n(audio[c].data() + position, n, buffers[c]);
    position += n;
    return static_cast<int>(n);
}

void BufferSink::write(const float* const* buffers, int channels, int frames)
{
    audio.resize(static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c)
        audio[static_cast<std::size_t>(c)].insert(audio[static_cast<std::size_t>(c)].end(), buffers[c],
                                                  buffers[c] + frames);
}

RenderSummary render(Plugin& plugin, Source& source, Sink& sink, const RenderOptions& options)
{
    const int block = options.blockSize;
    const double rate = source.sampleRate();
    const auto size = static_cast<std::size_t>(block);
    Planar fromSource(static_cast<std::size_t>(source.channels()), std::vector<float>(size));
    Planar inputs(static_cast<std::size_t>(plugin.numInputs()), std::vector<float>(size));
    Planar outputs(static_cast<std::size_t>(plugin.numOutputs()), std::vector<float>(size));
    const auto sourcePointers = pointers(fromSource);
    const auto inputPointers = pointers(inputs);
    const auto outputPointers = pointers(outputs);
    const int outChannels = plugin.numOutputs();

    RenderSummary summary;
    ProgressBar progress(options.progress, source.frames(), rate);
    auto peakOf = [&](int frames) {
        for (const auto& channel : outputs)
            for (int f = 0; f < frames; ++f)
                summary.peak = std::max(summary.peak, std::fabs(channel[static_cast<std::size_t>(f)]));
    };

    plugin.start(rate, block);
    for (;;) {
        checkInterrupt();
        const int n = source.read(sourcePointers.data(), block);
        if (n == 0)
            break;
        mapInputs(fromSource, inputs, n);
        plugin.process(inputPointers.data(), outputPointers.data(), n);
        peakOf(n);
        sink.write(outputPointers.data(), outChannels, n);
        summary.inputFrames += n;
        progress.update(summary.inputFrames, false);
    }

    const double tailSeconds = options.tailSeconds.value_or(options.tailCapSeconds);
    const auto tailLimit = static_cast<long long>(std::llround(tailSeconds * rate));
    const auto quietNeeded = std::max(1LL, static_cast<long long>(std::llround(options.quietSeconds * rate)));
    long long quietRun = 0;
    for (auto& input : inputs)
        std::fill(input.begin(), input.end(), 0.0f);
    while (summary.tailFrames < tailLimit) {
        checkInterrupt();
        int n = static_cast<int>(std::min<long long>(block, tailLimit - summary.tailFrames));
        plugin.process(inputPointers.data(), outputPointers.data(), n);
        bool quietEnough = false;
        if (!options.tailSeconds) {
            for (int f = 0; f < n && !quietEnough; ++f) {
                float loudest = 0.0f;
                for (const auto& channel : outputs)
                    loudest = std::max(loudest, std::fabs(channel[static_cast<std::size_t>(f)]));
                quietRun = loudest < kQuietLevel ? quietRun + 1 : 0;
                if (quietRun >= quietNeeded) {
                    quietEnough = true;
                    n = f + 1;
                }
            }
        }
        peakOf(n);
        sink.write(outputPointers.data(), outChannels, n);
        summary.tailFrames += n;
        progress.update(summary.inputFrames + summary.tailFrames, true);
        if (quietEnough)
            break;
    }
    plugin.stop();
    return summary;
}

} // namespace qtool
