// Streams audio through a hosted effect block by block, then renders its echo tail.
#pragma once

#include "Effect.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qtool {

using Planar = std::vector<std::vector<float>>; // one vector per channel

class Source {
public:
    virtual ~Source() = default;
    virtual int channels() const = 0;
    virtual double sampleRate() const = 0;
    virtual long long frames() const = 0;
    // Fills channels() buffers with up to frames frames; returns how many, 0 at the end.
    virtual int read(float* const* buffers, int frames) = 0;
};

class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(const float* const* buffers, int channels, int frames) = 0;
};

// Audio held in memory: a synthesised signal, an impulse.
class BufferSource : public Source {
public:
    BufferSource(Planar audio, double rate);
    int channels() const override { return static_cast<int>(audio.size()); }
    double sampleRate() const override { return rate; }
    long long frames() const override { return static_cast<long long>(audio.front().size()); }
    int read(float* const* buffers, int frames) override;

private:
    Planar audio;
    double rate;
    std::size_t position = 0;
};

class BufferSink : public Sink {
public:
    void write(const float* const* buffers, int channels, int frames) override;
    Planar audio;
};

struct RenderSummary {
    long long inputFrames = 0;
    long long tailFrames = 0;
    float peak = 0.0f;
};

// Below this the tail counts as silent: -90 dBFS.
constexpr float kQuietLevel = 3.1622776e-5f;
// However long the output takes to fall quiet, the tail ends here.
constexpr double kTailCapSeconds = 30.0;

// When the echo tail after the input ends: after exactly `seconds`, or once the output has
// stayed below kQuietLevel for `quietSeconds`, at most kTailCapSeconds.
struct Tail {
    std::optional<double> seconds;
    double quietSeconds = 0.0;
};

// A value taking effect at a frame from the first input frame: --automate "NAME=VALUE@SECONDS".
struct Automation {
    std::string argument;
    long long frame;
    int index;
    double value; // as the module takes it
};

// progress: a bar on stderr once the render has taken a second. automation in frame order; what
// falls at or after the render's end is never applied.
RenderSummary render(Effect& effect, Source& source, Sink& sink, int blockSize, const Tail& tail, bool progress,
                     std::span<const Automation> automation = {});

// Set from a signal handler: the render stops at the next block and throws Interrupted.
void requestInterrupt();
bool interruptRequested();

struct Interrupted : ToolError {
    Interrupted() : ToolError("interrupted") {}
};

} // namespace qtool
