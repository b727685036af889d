// A host for one effect instance of a foreign module: loads it through its entry point and
// drives it only through the record, trusting none of what the module hands back.
#pragma once

#include "vst/AEffect.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace qtool {

// Everything that goes wrong with a module, a file or a value: the message names it.
struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Plugin {
public:
    // Loads the module at path and makes one instance of its effect.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    const std::string& path() const { return modulePath; }

    std::string effectName();
    std::string productString();
    std::string vendorString();
    VstIntPtr vendorVersion();
    VstIntPtr category();
    VstIntPtr interfaceVersion();
    VstIntPtr tailSize();
    VstInt32 uniqueId() const { return e->uniqueID; }
    VstInt32 flags() const { return e->flags; }
    VstInt32 initialDelay() const { return e->initialDelay; }
    VstInt32 version() const { return e->version; }
    // As the record announced them when loaded: the buffers the tool hands over are sized by them.
    int numInputs() const { return inputs; }
    int numOutputs() const { return outputs; }
    int numParams() const { return e->numParams; }
    int numPrograms() const { return e->numPrograms; }

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
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);
    void checkParameter(int index) const;

    std::string modulePath;
    AEffect* e = nullptr;
    bool running = false;
    int inputs = 0, outputs = 0;
    std::vector<float*> inputPointers, outputPointers;
};

// "VQqe" for a code of four printable characters, otherwise its hexadecimal value.
std::string fourCharText(VstInt32 code);
// The names of the set bits of a record's flags, separated by spaces.
std::string flagNames(VstInt32 flags);
std::string categoryName(VstIntPtr category);

} // namespace qtool
