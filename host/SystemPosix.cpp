#include "System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

namespace qtool::sys {

const char* const kPathSeparators = "/";
const char* const kModuleFileName = "quadecho.so";

std::vector<std::string> arguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string executablePath()
{
    std::error_code error; // none found: an empty path
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

Kind kindOf(const std::string& path, std::string& why)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return Kind::Missing;
    }
    return S_ISDIR(st.st_mode) ? Kind::Directory : Kind::File;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat x {
    }, y{};
    return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

void* loadModule(const std::string& path, std::string& why)
{
    // Without a slash the loader would search the library path instead of the named file.
    const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    void* handle = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : "unknown loader error";
    }
    return handle;
}

void* ownSymbol(void* module, const char* name)
{
    void* symbol = dlsym(module, name);
    if (!symbol)
        return nullptr;
    link_map* map = nullptr;
    Dl_info info{};
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !dladdr(symbol, &info) || !info.dli_fname)
        return nullptr;
    return std::strcmp(info.dli_fname, map->l_name) == 0 ? symbol : nullptr;
}

int openForReading(const std::string& path, std::string& why)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        why = std::strerror(errno);
    return descriptor;
}

int createBeside(const std::string& path, std::string& tempPath, std::string& why)
{
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string pattern = dir + "/." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        why = std::strerror(errno);
        return -1;
    }
    tempPath = pattern;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    return descriptor;
}

long writeSome(int descriptor, const char* data, std::size_t size) { return ::write(descriptor, data, size); }

long readSome(int descriptor, char* data, std::size_t size) { return ::read(descriptor, data, size); }

bool syncFile(int descriptor) { return fsync(descriptor) == 0; }

bool closeFile(int descriptor) { return close(descriptor) == 0; }

bool replace(const std::string& from, const std::string& to, std::string& why)
{
    if (rename(from.c_str(), to.c_str()) == 0)
        return true;
    why = std::strerror(errno);
    return false;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

bool stderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void catchInterrupts(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace qtool::sys
