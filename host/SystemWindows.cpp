#include "System.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace qtool::sys {

const char* const kPathSeparators = "\\/";
const char* const kModuleFileName = "quadecho.dll";

namespace {

std::wstring wide(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string utf8(const wchar_t* text, int length = -1)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty())
        out.pop_back(); // the terminator counted with a length of -1
    return out;
}

// The system's own message for an error, without its trailing line break; "%1" is the file.
std::string message(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = text ? utf8(text) : "";
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    if (const auto at = out.find("%1"); at != std::string::npos)
        out.replace(at, 2, "the file");
    return out.empty() ? "error " + std::to_string(error) : out + " (error " + std::to_string(error) + ")";
}

} // namespace

std::vector<std::string> arguments(int, char**)
{
    // The narrow argv holds the command line in the ANSI code page, which loses characters.
    SetConsoleOutputCP(CP_UTF8);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> out;
    for (int i = 0; i < argc; ++i)
        out.push_back(utf8(argv[i]));
    LocalFree(argv);
    return out;
}

std::string executablePath()
{
    std::wstring self(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    return n > 0 && n < self.size() ? utf8(self.data(), static_cast<int>(n)) : std::string();
}

Kind kindOf(const std::string& path, std::string& why)
{
    struct _stat64 st {};
    if (_wstat64(wide(path).c_str(), &st) != 0) {
        why = std::strerror(errno);
        return Kind::Missing;
    }
    return (st.st_mode & _S_IFMT) == _S_IFDIR ? Kind::Directory : Kind::File;
}

bool sameFile(const std::string& a, const std::string& b)
{
    auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        const bool known = GetFileInformationByHandle(h, &info) != 0;
        CloseHandle(h);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return identity(a, x) && identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

void* loadModule(const std::string& path, std::string& why)
{
    // A full path, so that the loader takes the named file and finds what it needs beside it;
    // no dialog box for a missing or broken file, only the error.
    std::wstring full(32768, L'\0');
    const DWORD n = GetFullPathNameW(wide(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = full.empty() ? nullptr : LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        why = message(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* ownSymbol(void* module, const char* name)
{
    // A DLL's export table holds only its own definitions.
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

int openForReading(const std::string& path, std::string& why)
{
    const int descriptor = _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
    if (descriptor < 0)
        why = std::strerror(errno);
    return descriptor;
}

int createBeside(const std::string& path, std::string& tempPath, std::string& why)
{
    const auto slash = path.find_last_of(kPathSeparators);
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = dir + "." + base + "." + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount() + attempt);
        const int descriptor =
            _wopen(wide(candidate).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            tempPath = candidate;
            return descriptor;
        }
        if (errno != EEXIST)
            break;
    }
    why = std::strerror(errno);
    return -1;
}

long writeSome(int descriptor, const char* data, std::size_t size)
{
    return _write(descriptor, data, static_cast<unsigned>(size < 1u << 30 ? size : 1u << 30));
}

long readSome(int descriptor, char* data, std::size_t size)
{
    return _read(descriptor, data, static_cast<unsigned>(size < 1u << 30 ? size : 1u << 30));
}

bool syncFile(int descriptor) { return _commit(descriptor) == 0; }

bool closeFile(int descriptor) { return _close(descriptor) == 0; }

bool replace(const std::string& from, const std::string& to, std::string& why)
{
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    why = message(GetLastError());
    return false;
}

void removeFile(const std::string& path) { _wunlink(wide(path).c_str()); }

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void catchInterrupts(void (*handler)(int))
{
    // The runtime resets the handler before calling it, so a second Ctrl-C ends the tool at once.
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
}

} // namespace qtool::sys
