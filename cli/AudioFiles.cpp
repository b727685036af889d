#include "AudioFiles.h"

#include "host/LoadedModule.h"
#include "host/System.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qtool {

namespace {

std::string baseOf(const std::string& path)
{
    const auto slash = path.find_last_of(sys::kPathSeparators);
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

// The containers this build's libsndfile knows: which they are depends on the libraries it was built with.
std::vector<SF_FORMAT_INFO> majorFormats()
{
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    std::vector<SF_FORMAT_INFO> formats;
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO format{};
        format.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &format, sizeof format) == 0 && format.extension)
            formats.push_back(format);
    }
    return formats;
}

// The container libsndfile writes for an extension, from its own list of formats.
int majorFormatFor(const std::string& path)
{
    std::string ext = extensionOf(path);
    if (ext == "aif")
        ext = "aiff";
    else if (ext == "oga" || ext == "opus")
        ext = "ogg";
    for (const SF_FORMAT_INFO& format : majorFormats())
        if (ext == format.extension)
            return format.format;
    throw ToolError("cannot tell the sound format of '" + path + "' from its extension: use one of " + soundFormats());
}

} // namespace

std::string soundFormats()
{
    std::string list;
    for (const SF_FORMAT_INFO& format : majorFormats())
        if (list.find(std::string(" ") + format.extension + ",") == std::string::npos)
            list += std::string(" ") + format.extension + ",";
    return list.empty() ? list : list.substr(1, list.size() - 2);
}

AtomicFile::AtomicFile(const std::string& path) : finalPath(path)
{
    std::string why;
    if (sys::kindOf(path, why) == sys::Kind::Directory)
        throw ToolError("cannot write '" + path + "': it is a directory");
    descriptor = sys::createBeside(path, tempPath, why);
    if (descriptor < 0)
        throw ToolError("cannot write '" + path + "': " + why);
}

AtomicFile::~AtomicFile()
{
    if (descriptor >= 0)
        sys::closeFile(descriptor);
    if (!tempPath.empty())
        sys::removeFile(tempPath);
}

void AtomicFile::writeAll(const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const long n = sys::writeSome(descriptor, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw ToolError("cannot write '" + finalPath + "': " + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit()
{
    // Synced before the rename, so that the name never stands for a file not yet on disk.
    const bool synced = sys::syncFile(descriptor);
    std::string why = std::strerror(errno);
    const bool closed = sys::closeFile(descriptor);
    if (synced && !closed)
        why = std::strerror(errno);
    descriptor = -1;
    if (!synced || !closed || !sys::replace(tempPath, finalPath, why))
        throw ToolError("cannot write '" + finalPath + "': " + why);
    tempPath.clear();
}

SoundReader::SoundReader(const std::string& path) : path(path)
{
    std::string why;
    const int descriptor = sys::isFile(path, why) ? sys::openForReading(path, why) : -1;
    if (descriptor < 0)
        throw ToolError("cannot read '" + path + "': " + why);
    file = sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE);
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
    if (sys::sameFile(input, output))
        throw ToolError("refusing to write over the input: '" + output + "' is '" + input + "'");
}

} // namespace qtool
