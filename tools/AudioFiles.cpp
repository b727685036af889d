#include "AudioFiles.h"

#include "PluginHost.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qtool {

namespace {

std::string systemError() { return std::strerror(errno); }

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& path)
{
    const std::string base = baseOf(path);
    const auto dot = base.rfind('.');
    std::string ext = dot == std::string::npos ? "" : base.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// The container libsndfile writes for an extension, from its own list of formats.
int majorFormatFor(const std::string& path)
{
    std::string ext = extensionOf(path);
    if (ext == "aif")
        ext = "aiff";
    else if (ext == "oga" || ext == "opus")
        ext = "ogg";
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count && !ext.empty(); ++i) {
        SF_FORMAT_INFO format{};
        format.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &format, sizeof format) == 0 && format.extension &&
            ext == format.extension)
            return format.format;
    }
    throw ToolError("cannot tell the sound format of '" + path +
                    "' from its extension: use .wav, .aiff, .flac or another libsndfile writes");
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : finalPath(path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw ToolError("cannot write '" + path + "': it is a directory");
    std::string pattern = directoryOf(path) + "/." + baseOf(path) + ".XXXXXX";
    descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        throw ToolError("cannot write '" + path + "': " + systemError());
    tempPath = pattern;
    // The finished file gets the permissions any newly created file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
}

AtomicFile::~AtomicFile()
{
    if (descriptor >= 0)
        close(descriptor);
    if (!tempPath.empty())
        unlink(tempPath.c_str());
}

void AtomicFile::writeAll(const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(descriptor, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw ToolError("cannot write '" + finalPath + "': " + systemError());
        done += static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit()
{
    if (fsync(descriptor) != 0 || close(descriptor) != 0) {
        descriptor = -1;
        throw ToolError("cannot write '" + finalPath + "': " + systemError());
    }
    descriptor = -1;
    if (rename(tempPath.c_str(), finalPath.c_str()) != 0)
        throw ToolError("cannot write '" + finalPath + "': " + systemError());
    tempPath.clear();
}

SoundReader::SoundReader(const std::string& path) : path(path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        throw ToolError("cannot read '" + path + "': " + systemError());
    if (S_ISDIR(st.st_mode))
        throw ToolError("cannot read '" + path + "': it is a directory");
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw ToolError("cannot read '" + path + "': " + sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        throw ToolError("cannot read '" + path + "': it holds no audio channels");
    }
}

SoundReader::~SoundReader() { sf_close(file); }

sf_count_t SoundReader::read(float* interleaved, sf_count_t frames)
{
    const sf_count_t n = sf_readf_float(file, interleaved, frames);
    if (n < frames && sf_error(file) != SF_ERR_NO_ERROR)
        throw ToolError("cannot read '" + path + "': " + sf_strerror(file));
    return n;
}

SoundWriter::SoundWriter(const std::string& path, int channels, double sampleRate) : path(path), out(path)
{
    const int major = majorFormatFor(path);
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = static_cast<int>(sampleRate);
    const int subtypes[] = {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_VORBIS,
                            SF_FORMAT_MPEG_LAYER_III};
    for (int subtype : subtypes) {
        info.format = major | subtype;
        if (sf_format_check(&info)) {
            floats = subtype == SF_FORMAT_FLOAT;
            break;
        }
    }
    if (!sf_format_check(&info))
        throw ToolError("cannot write '" + path + "': its format holds no " + std::to_string(channels) +
                        "-channel audio at " + std::to_string(info.samplerate) + " Hz");
    file = sf_open_fd(out.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!file)
        throw ToolError("cannot write '" + path + "': " + sf_strerror(nullptr));
    // Integer formats clip peaks above full scale instead of wrapping them round.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundWriter::~SoundWriter()
{
    if (file)
        sf_close(file);
}

void SoundWriter::write(const float* interleaved, sf_count_t frames)
{
    if (sf_writef_float(file, interleaved, frames) != frames)
        throw ToolError("cannot write '" + path + "': " + sf_strerror(file));
}

void SoundWriter::commit()
{
    const int error = sf_close(file);
    file = nullptr;
    if (error != 0)
        throw ToolError("cannot write '" + path + "': " + sf_error_number(error));
    out.commit();
}

int FileSource::read(float* const* buffers, int frames)
{
    const auto n = static_cast<std::size_t>(channels());
    interleaved.resize(static_cast<std::size_t>(frames) * n);
    const auto got = static_cast<std::size_t>(reader.read(interleaved.data(), frames));
    for (std::size_t f = 0; f < got; ++f)
        for (std::size_t c = 0; c < n; ++c)
            buffers[c][f] = interleaved[f * n + c];
    return static_cast<int>(got);
}

void FileSink::write(const float* const* buffers, int channels, int frames)
{
    const auto n = static_cast<std::size_t>(channels);
    interleaved.resize(static_cast<std::size_t>(frames) * n);
    for (std::size_t f = 0; f < static_cast<std::size_t>(frames); ++f)
        for (std::size_t c = 0; c < n; ++c)
            interleaved[f * n + c] = buffers[c][f];
    writer.write(interleaved.data(), frames);
}

void checkNotSameFile(const std::string& input, const std::string& output)
{
    struct stat in {
    }, out{};
    if (stat(input.c_str(), &in) == 0 && stat(output.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino)
        throw ToolError("refusing to write over the input: '" + output + "' is '" + input + "'");
}

} // namespace qtool
