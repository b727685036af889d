// What the tool's tests share: sound files through libsndfile, scratch folders, and running a
// program with its output captured.
#pragma once

#include "tests/support/Skips.h"

#include <gtest/gtest.h>
#include <sndfile.hh>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tooltest {

namespace fs = std::filesystem;

struct Sound {
    int channels = 0, rate = 0;
    std::vector<float> samples; // interleaved
    std::size_t frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
    float at(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

inline Sound readSound(const std::string& path)
{
    SndfileHandle file(path);
    Sound sound{file.channels(), file.samplerate(), std::vector<float>(file.frames() * file.channels())};
    file.readf(sound.samples.data(), file.frames());
    return sound;
}

inline void writeSound(const std::string& path, int channels, int rate, const std::vector<float>& samples,
                       int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SndfileHandle(path, SFM_WRITE, format, channels, rate).write(samples.data(), sf_count_t(samples.size()));
}

// A scratch folder, removed with everything in it.
struct ScratchDir {
    std::string pattern = (fs::temp_directory_path() / "quadecho-test-XXXXXX").string();
    fs::path path = mkdtemp(pattern.data());
    ~ScratchDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::set<fs::path> entries() const { return {fs::directory_iterator(path), fs::directory_iterator()}; }
};

inline std::string slurp(const fs::path& path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

struct Result {
    int status = -1; // the exit code, which the shell makes 128 + the signal that ended the program
    std::string out, err;
};

// Our own programs are built for the target's processor: in a cross build they run through the
// emulator, as ctest runs the test programs (nothing here hands a foreign program to it).
inline std::vector<std::string> onTarget(const std::string& program)
{
    std::istringstream words(QUADECHO_EMULATOR);
    std::vector<std::string> argv{std::istream_iterator<std::string>(words), {}};
    argv.push_back(program);
    return argv;
}
inline bool crossBuilt() { return *QUADECHO_EMULATOR != '\0'; }
// Why a host installed here is not run in a cross build.
constexpr const char* kBuildMachineOnly =
    " is a program for the build machine's processor: it cannot load this build's module";

// Runs a program with its output captured; one still running after the deadline is killed (137).
inline Result run(const std::vector<std::string>& args, int deadline = 60)
{
    ScratchDir logs;
    std::string command = "timeout -s KILL " + std::to_string(deadline);
    for (const std::string& a : args)
        command += " '" + std::regex_replace(a, std::regex("'"), "'\\''") + "'";
    const int status = std::system((command + " >" + logs / "out" + " 2>" + logs / "err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(logs / "out"), slurp(logs / "err")};
}

} // namespace tooltest
