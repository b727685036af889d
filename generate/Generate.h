// What the build's generators share: a main that takes the one folder to write into, and files
// written there whole, or a message on stderr saying which could not be.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quadecho::generate {

struct File {
    std::string name; // within the folder
    std::function<void(std::FILE*)> contents;
};

// A file's contents that are already bytes.
File bytesFile(std::string name, std::string bytes);

// The whole of a generator's main: checks for the one folder argument (folderName names it in the
// usage) and writes each file into it, stopping at the first that fails. 0, 1 for a file not
// written, 2 for a wrong command line.
int writeInto(int argc, char** argv, const char* folderName, const std::vector<File>& files);

} // namespace quadecho::generate
