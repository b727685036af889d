// The first plug-in of a CLAP module of another build, loaded by its file and driven through the
// CLAP host layer, trusting none of what it hands back: texts cleaned, counts bounded, missing
// functions refused with a message naming the module.
#pragma once

#include "ClapHost.h"
#include "ToolError.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qtool {

// Whether the module at path exports a CLAP entry (then it is hosted as CLAP, whatever its name).
// Throws if it cannot be loaded at all.
bool exportsClapEntry(const std::string& path);

class ClapModule {
public:
    struct Description {
        std::string id, name, vendor, version;
        std::vector<std::string> features;
    };
    struct Parameter {
        clap_id id;
        std::string name;
        double min, max, defaultValue;
    };
    struct Port {
        std::string name;
        std::uint32_t channels;
        bool main;
    };

    explicit ClapModule(const std::string& path);

    const std::string& path() const { return modulePath; }
    // Every plug-in the factory offers; the tool hosts the first.
    const std::vector<Description>& plugins() const { return described; }
    const Description& description() const { return made; }
    const std::vector<Parameter>& parameters() const { return params; }
    const std::vector<Port>& inputs() const { return inputPorts; }
    const std::vector<Port>& outputs() const { return outputPorts; }
    std::uint32_t latency() const;
    // What the plug-in answers for its tail in frames, if it says.
    std::optional<std::uint32_t> tailFrames() const;

    double value(int index) const;
    std::string valueText(int index, double value) const;
    // Outside processing, through the plug-in's flush.
    void setValue(int index, double value);

    // Activates for the rate and the largest block; renders need one stereo input and output port.
    void start(double rate, int blockSize);
    // Two channels each side, the value events at their frames inside the block.
    void process(const float* const* in, float* const* out, int frames, const quadecho::claphost::EventList& events);

private:
    std::string modulePath;
    std::unique_ptr<quadecho::claphost::PluginInstance> instance;
    const clap_plugin_params_t* paramsExtension = nullptr;
    Description made;
    std::vector<Description> described;
    std::vector<Parameter> params;
    std::vector<Port> inputPorts, outputPorts;
};

} // namespace qtool
