// What the tool's tests share: sound files through libsndfile, scratch folders, and running a
// program with its output captured.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.hh>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace tooltest {

namespace fs = std::filesystem;

struct Sound {
    int channels = 0, rate = 0;
    std::vector<float> samples; // interleaved
    std::size_t frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
    float at(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
    std::vector<float> channel(int c) const
    {
        std::vector<float> one;
        for (std::size_t f = 0; f < frames(); ++f)
            one.push_back(at(f, c));
        return one;
    }
};

inline Sound readSound(const std::string& path)
{
    SndfileHandle file(path);
    EXPECT_EQ(file.error(), 0) << "cannot read " << path << ": " << file.strError();
    Sound sound{file.channels(), file.samplerate(), std::vector<float>(file.frames() * file.channels())};
    file.readf(sound.samples.data(), file.frames());
    return sound;
}

inline void writeSound(const std::string& path, const Sound& sound, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SndfileHandle file(path, SFM_WRITE, format, sound.channels, sound.rate);
    ASSERT_EQ(file.error(), 0) << path << ": " << file.strError();
    file.writef(sound.samples.data(), static_cast<sf_count_t>(sound.frames()));
}

// One frame of value on every channel, then silence up to frames.
inline Sound impulse(int channels, int rate, float value, std::size_t frames = 1)
{
    Sound sound{channels, rate, std::vector<float>(frames * static_cast<std::size_t>(channels))};
    std::fill_n(sound.samples.begin(), channels, value);
    return sound;
}

// A scratch folder, removed with everything in it.
struct ScratchDir {
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "quadecho-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::set<fs::path> entries() const { return {fs::directory_iterator(path), fs::directory_iterator()}; }
    fs::path path;
};

inline std::string slurp(const fs::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Starts a program with its standard output and error going to files; returns its process id.
inline pid_t start(const std::vector<std::string>& args, const std::string& out, const std::string& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code, or 128 + the signal that ended the program.
inline int wait(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct Result {
    int status = -1;
    std::string out, err;
};

// Runs a program to its end; one still running after the deadline is killed (status 137).
inline Result run(std::vector<std::string> args, int deadlineSeconds = 60)
{
    args.insert(args.begin(), {"timeout", "-s", "KILL", std::to_string(deadlineSeconds)});
    ScratchDir logs;
    const int status = wait(start(args, logs / "out", logs / "err"));
    return {status, slurp(logs / "out"), slurp(logs / "err")};
}

} // namespace tooltest
