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

// Counts quiet frames in a row through a block: the frames up to the one that completes
// `needed` of them, or none if the block ends first.
std::optional<int> quietAfter(const Planar& outputs, int frames, long long needed, long long& run)
{
    for (int f = 0; f < frames; ++f) {
        float loudest = 0.0f;
        for (const auto& channel : outputs)
            loudest = std::max(loudest, std::fabs(channel[static_cast<std::size_t>(f)]));
        run = loudest < kQuietLevel ? run + 1 : 0;
        if (run >= needed)
            return f + 1;
    }
    return std::nullopt;
}

Planar silence(int channels, int frames)
{
    return Planar(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(frames)));
}

// One render: its buffers, sized once, and the two passes through the effect to the sink.
class Renderer {
public:
    Renderer(Effect& plugin, Source& source, Sink& sink, int blockSize, bool progress,
             std::span<const Automation> automation)
        : plugin(plugin), source(source), sink(sink), automation(automation), block(blockSize),
          rate(source.sampleRate()), fromSource(silence(source.channels(), block)),
          inputs(silence(plugin.numInputs(), block)), outputs(silence(plugin.numOutputs(), block)),
          sourcePointers(pointers(fromSource)), inputPointers(pointers(inputs)), outputPointers(pointers(outputs)),
          progress(progress, source.frames(), rate)
    {}

    // The whole source, block by block.
    void inputPass()
    {
        for (;;) {
            checkInterrupt();
            const int n = source.read(sourcePointers.data(), block);
            if (n == 0)
                return;
            mapInputs(fromSource, inputs, n);
            process(n);
            emit(n);
            summary.inputFrames += n;
            progress.update(summary.inputFrames, false);
        }
    }

    // Silence in, until the tail is as long as asked or the output has stayed quiet long enough.
    void tailPass(const Tail& tail)
    {
        const long long limit = frameCount(tail.seconds.value_or(kTailCapSeconds));
        const long long quietNeeded = std::max(1LL, frameCount(tail.quietSeconds));
        long long quietRun = 0;
        for (auto& input : inputs)
            std::fill(input.begin(), input.end(), 0.0f);
        while (summary.tailFrames < limit) {
            checkInterrupt();
            const int n = static_cast<int>(std::min<long long>(block, limit - summary.tailFrames));
            process(n);
            const std::optional<int> quiet =
                tail.seconds ? std::nullopt : quietAfter(outputs, n, quietNeeded, quietRun);
            emit(quiet.value_or(n));
            summary.tailFrames += quiet.value_or(n);
            progress.update(summary.inputFrames + summary.tailFrames, true);
            if (quiet)
                return;
        }
    }

    const RenderSummary& result() const { return summary; }

private:
    long long frameCount(double seconds) const { return static_cast<long long>(std::llround(seconds * rate)); }

    // The next frames through the effect, with the automation that falls inside them.
    void process(int frames)
    {
        const long long at = summary.inputFrames + summary.tailFrames;
        changes.clear();
        for (; next < automation.size() && automation[next].frame < at + frames; ++next)
            changes.push_back(
                {static_cast<int>(automation[next].frame - at), automation[next].index, automation[next].value});
        plugin.process(inputPointers.data(), outputPointers.data(), frames, changes);
    }

    // The first frames of the outputs, to the sink.
    void emit(int frames)
    {
        for (const auto& channel : outputs)
            for (int f = 0; f < frames; ++f)
                summary.peak = std::max(summary.peak, std::fabs(channel[static_cast<std::size_t>(f)]));
        sink.write(outputPointers.data(), static_cast<int>(outputPointers.size()), frames);
    }

    Effect& plugin;
    Source& source;
    Sink& sink;
    const std::span<const Automation> automation;
    std::size_t next = 0;
    std::vector<Effect::Change> changes;
    const int block;
    const double rate;
    Planar fromSource, inputs, outputs;
    const std::vector<float*> sourcePointers, inputPointers, outputPointers;
    ProgressBar progress;
    RenderSummary summary;
};

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

RenderSummary render(Effect& plugin, Source& source, Sink& sink, int blockSize, const Tail& tail, bool progress,
                     std::span<const Automation> automation)
{
    Renderer renderer(plugin, source, sink, blockSize, progress, automation);
    plugin.start(source.sampleRate(), blockSize);
    renderer.inputPass();
    renderer.tailPass(tail);
    plugin.stop();
    return renderer.result();
}

} // namespace qtool
