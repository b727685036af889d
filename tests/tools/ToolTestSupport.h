// What the tool's tests share: sound files through libsndfile, scratch folders, and running a
// program with its output captured.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    std::vector<std::vector<float>> channels;
    int rate = 0;
    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

inline Sound readSound(const fs::path& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return {};
    }
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    Sound sound;
    sound.rate = info.samplerate;
    sound.channels.assign(static_cast<std::size_t>(info.channels), std::vector<float>(info.frames));
    for (std::size_t f = 0; f < static_cast<std::size_t>(info.frames); ++f)
        for (std::size_t c = 0; c < sound.channels.size(); ++c)
            sound.channels[c][f] = interleaved[f * sound.channels.size() + c];
    return sound;
}

inline void writeSound(const fs::path& path, const Sound& sound, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.channels = static_cast<int>(sound.channels.size());
    info.samplerate = sound.rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    std::vector<float> interleaved;
    for (std::size_t f = 0; f < sound.frames(); ++f)
        for (const auto& channel : sound.channels)
            interleaved.push_back(channel[f]);
    sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(sound.frames()));
    sf_close(file);
}

// One frame of value on every channel, then silence up to frames.
inline Sound impulse(int channels, int rate, float value, std::size_t frames = 1)
{
    Sound sound;
    sound.rate = rate;
    sound.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(frames, 0.0f));
    for (auto& channel : sound.channels)
        channel[0] = value;
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
    fs::path operator/(const std::string& name) const { return path / name; }
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path))
            names.insert(entry.path().filename().string());
        return names;
    }
    fs::path path;
};

inline std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Result {
    int status = -1; // exit code, or 128 + signal
    std::string out, err;
};

// Starts program with its standard output and error going to files; returns its process id.
inline pid_t start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err)
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
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

inline int wait(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

inline Result run(const std::vector<std::string>& args)
{
    ScratchDir logs;
    Result result;
    result.status = wait(start(args, logs / "out", logs / "err"));
    result.out = slurp(logs / "out");
    result.err = slurp(logs / "err");
    return result;
}

} // namespace tooltest
