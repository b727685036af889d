// Sound files through libsndfile, and output written so that it appears only when complete.
#pragma once

#include "Render.h"

#include <sndfile.h>

#include <string>
#include <vector>

namespace qtool {

// A file created beside its final path under a hidden temporary name. commit() renames it into
// place; destroyed uncommitted, it is removed, so a failed run leaves no partial output.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int fd() const { return descriptor; }
    void writeAll(const std::string& data);
    void commit();

private:
    std::string finalPath, tempPath;
    int descriptor = -1;
};

class SoundReader {
public:
    explicit SoundReader(const std::string& path);
    ~SoundReader();
    SoundReader(const SoundReader&) = delete;
    SoundReader& operator=(const SoundReader&) = delete;

    int channels() const { return info.channels; }
    double sampleRate() const { return info.samplerate; }
    sf_count_t frames() const { return info.frames; }
    // Reads up to frames interleaved frames; 0 at the end.
    sf_count_t read(float* interleaved, sf_count_t frames);

private:
    std::string path;
    SF_INFO info{};
    SNDFILE* file = nullptr;
};

class SoundWriter {
public:
    // The container comes from the extension of path (wav, aiff, flac, ogg, ...), the sample
    // format is the most precise one the container holds: floats where it can.
    SoundWriter(const std::string& path, int channels, double sampleRate);
    ~SoundWriter();
    SoundWriter(const SoundWriter&) = delete;
    SoundWriter& operator=(const SoundWriter&) = delete;

    void write(const float* interleaved, sf_count_t frames);
    bool storesFloats() const { return floats; }
    void commit();

private:
    std::string path;
    AtomicFile out;
    SNDFILE* file = nullptr;
    bool floats = false;
};

// A sound file as the render's source: its interleaved frames dealt out to one buffer per channel.
class FileSource : public Source {
public:
    explicit FileSource(const std::string& path) : reader(path) {}
    int channels() const override { return reader.channels(); }
    double sampleRate() const override { return reader.sampleRate(); }
    long long frames() const override { return reader.frames(); }
    int read(float* const* buffers, int frames) override;

private:
    SoundReader reader;
    std::vector<float> interleaved;
};

// The render's output into a sound file, its channels interleaved.
class FileSink : public Sink {
public:
    explicit FileSink(SoundWriter& writer) : writer(writer) {}
    void write(const float* const* buffers, int channels, int frames) override;

private:
    SoundWriter& writer;
    std::vector<float> interleaved;
};

// The extensions of the sound formats this build reads and writes, e.g. "wav, aiff, au, ...".
std::string soundFormats();

// Refuses an output path that names the input file, under whatever name.
void checkNotSameFile(const std::string& input, const std::string& output);

} // namespace qtool
