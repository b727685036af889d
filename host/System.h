// What the tool asks of the operating system, and the one place where Linux and Windows differ
// (SystemPosix.cpp, SystemWindows.cpp). Text is UTF-8 everywhere else; paths are converted here.
// Functions that fail say why in why.
#pragma once

#include <string>
#include <vector>

namespace qtool::sys {

extern const char* const kPathSeparators; // "/", or "\\/" on Windows
extern const char* const kModuleFileName; // the Quadecho module as built beside the tool

// The command line as UTF-8; on Windows also UTF-8 output on a console.
std::vector<std::string> arguments(int argc, char** argv);
std::string executablePath(); // empty if unknown

enum class Kind { Missing, File, Directory };
Kind kindOf(const std::string& path, std::string& why);
bool sameFile(const std::string& a, const std::string& b);
// True for an existing file that is not a folder; otherwise why says what stands there.
inline bool isFile(const std::string& path, std::string& why)
{
    const Kind kind = kindOf(path, why);
    if (kind == Kind::Directory)
        why = "it is a directory";
    return kind == Kind::File;
}

// The loader's own handle and message; the module stays loaded until the process ends.
void* loadModule(const std::string& path, std::string& why);
// The module's own definition of name, not one of a library it pulls in.
void* ownSymbol(void* module, const char* name);

int openForReading(const std::string& path, std::string& why); // a descriptor, or -1
// A new file beside path under a hidden name, with the permissions any new file gets.
int createBeside(const std::string& path, std::string& tempPath, std::string& why);
// Descriptors as the C library has them; failures set errno.
long writeSome(int descriptor, const char* data, std::size_t size);
long readSome(int descriptor, char* data, std::size_t size);
bool syncFile(int descriptor);
bool closeFile(int descriptor);
bool replace(const std::string& from, const std::string& to, std::string& why);
void removeFile(const std::string& path);

bool stderrIsTerminal();
// handler gets the first interrupt (Ctrl-C, or SIGTERM where there is one).
void catchInterrupts(void (*handler)(int));

} // namespace qtool::sys
