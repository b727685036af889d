// One effect instance of a module of another build, loaded through its entry point and driven only
// through its record, trusting none of what the module hands back. The record stays inside the
// loader: callers see plain integers.
#pragma once

#include "ToolError.h"

#include <cstdint>
#include <string>
#include <vector>

struct AEffect;

namespace qtool {

class LoadedModule {
public:
    // Loads the module at path and makes one instance of its effect.
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const std::string& path() const { return modulePath; }

    std::string effectName();
    std::string productString();
    std::string vendorString();
    std::intptr_t vendorVersion();
    std::intptr_t category();
    std::intptr_t interfaceVersion();
    std::intptr_t tailSize();
    std::int32_t uniqueId() const;
    std::int32_t flags() const;
    std::int32_t initialDelay() const;
    std::int32_t version() const;
    // As the record announced them when loaded: the buffers the tool hands over are sized by them.
    int numInputs() const { return inputs; }
    int numOutputs() const { return outputs; }
    int numParams() const;
    int numPrograms() const;

    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);
    float parameter(int index);
    void setParameter(int index, float normalised);

    int program();
    void setProgram(int index);
    // The name of any program, without switching to it where the module allows.
    std::string programName(int index);
    // Names the current program; cut to what the interface lets a host pass (23 characters).
    void setProgramName(const std::string& name);

    // Announces the rate and the largest block, then switches the effect on.
    void start(double sampleRate, int blockSize);
    // Processes frames (at most the announced block) from numInputs() channels into numOutputs().
    void process(float* const* inputs, float* const* outputs, int frames);
    void stop();

    // What the effect last asked the host, for its audioMasterGetSampleRate and the like.
    double hostSampleRate = 44100.0;
    int hostBlockSize = 512;

private:
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                           float opt = 0.0f);
    std::string text(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0);
    void checkParameter(int index) const;

    std::string modulePath;
    AEffect* e = nullptr;
    bool running = false;
    int inputs = 0, outputs = 0;
    std::vector<float*> inputPointers, outputPointers;
};

// The names of the set bits of a record's flags, separated by spaces.
std::string flagNames(std::int32_t flags);
std::string categoryName(std::intptr_t category);

} // namespace qtool
