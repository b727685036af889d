#include "Generate.h"

#include <utility>

namespace quadecho::generate {

namespace {

// Binary: the same bytes on every system, whatever its line ends.
bool write(const std::string& path, const std::function<void(std::FILE*)>& contents)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    contents(out);
    const bool written = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

File bytesFile(std::string name, std::string bytes)
{
    return {std::move(name),
            [bytes = std::move(bytes)](std::FILE* out) { std::fwrite(bytes.data(), 1, bytes.size(), out); }};
}

int writeInto(int argc, char** argv, const char* folderName, const std::vector<File>& files)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], folderName);
        return 2;
    }
    const std::string folder = argv[1];
    for (const File& file : files)
        if (!write(folder + "/" + file.name, file.contents))
            return 1;
    return 0;
}

} // namespace quadecho::generate
