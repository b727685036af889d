#include "PresetFiles.h"

#include "AudioFiles.h"
#include "host/System.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qtool {

namespace {

// Larger than any bank of a plausible effect: a bigger file is not read into memory.
constexpr std::size_t kLargestFile = 1 << 22;

} // namespace

PresetContents readPresetFile(const std::string& path, const PresetTarget& target)
{
    std::string why;
    const int descriptor = sys::isFile(path, why) ? sys::openForReading(path, why) : -1;
    if (descriptor < 0)
        throw ToolError("cannot read '" + path + "': " + why);
    std::string bytes;
    char buffer[1 << 16];
    long n = 0;
    while (bytes.size() <= kLargestFile &&
           ((n = sys::readSome(descriptor, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        bytes.append(buffer, static_cast<std::size_t>(std::max(n, 0L)));
    why = std::strerror(errno);
    sys::closeFile(descriptor);
    if (n < 0)
        throw ToolError("cannot read '" + path + "': " + why);
    if (bytes.size() > kLargestFile)
        throw ToolError("'" + path + "' is larger than any program or bank file (" + std::to_string(kLargestFile) +
                        " bytes and more)");
    try {
        return decodePresetFile(bytes, target);
    } catch (const PresetError& e) {
        throw ToolError("'" + path + "': " + e.what());
    }
}

void writePresetFile(const std::string& path, const std::string& bytes)
{
    AtomicFile out(path);
    out.writeAll(bytes);
    out.commit();
}

} // namespace qtool
