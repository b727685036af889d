// The module a command hosts, of either kind: a module of the 2.4 interface or a CLAP module. The
// commands see one face; values are what the module takes (normalised for a 2.4 module, plain
// units for a CLAP module) and are made from the user's texts by the module's own rule.
#pragma once

#include "host/ClapModule.h"
#include "host/LoadedModule.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace qtool {

class Effect {
public:
    // A value taking effect at a frame inside the block being processed.
    struct Change {
        int frame, index;
        double value;
    };

    virtual ~Effect() = default;

    const std::string& path() const { return modulePath; }
    // The effect built from this source tree: only its parameters have units the tool knows (its
    // parameter table) and echoes it can bound (its delay line).
    bool builtIn() const { return ours; }
    virtual LoadedModule* vst() { return nullptr; }
    virtual ClapModule* clap() { return nullptr; }

    virtual int numInputs() const = 0;
    virtual int numOutputs() const = 0;
    virtual int numParams() const = 0;
    virtual std::string parameterName(int index) = 0;
    virtual std::string parameterLabel(int index) = 0;
    // The plain range a value in units must lie in; none where the units are unknown.
    virtual std::optional<std::pair<double, double>> plainRange(int index) = 0;
    // What the module takes for a plain value inside plainRange, and for a normalised one in 0..1.
    virtual double fromPlain(int index, double plain) = 0;
    virtual double fromNormalised(int index, double normalised) = 0;
    // The plain value of what the module takes (plain units for the built-in effect).
    virtual double plainOf(int index, double taken) = 0;
    virtual double value(int index) = 0;
    virtual void setValue(int index, double taken) = 0;

    // The name shown above plots, and what the current settings are called in their caption.
    virtual std::string title() = 0;
    virtual std::string settingsName() = 0;
    // How long a module other than the built-in effect says its tail lasts, if it says.
    virtual std::optional<double> tailSeconds(double rate) = 0;

    virtual void start(double rate, int blockSize) = 0;
    // changes in frame order; several at one frame apply in their order.
    virtual void process(float* const* in, float* const* out, int frames, std::span<const Change> changes) = 0;
    virtual void stop() = 0;

protected:
    Effect(std::string path, bool ours) : modulePath(std::move(path)), ours(ours) {}

private:
    std::string modulePath;
    bool ours;
};

// Loads the module at path as CLAP if it exports a CLAP entry, otherwise as a 2.4 module.
std::unique_ptr<Effect> openEffect(const std::string& path);

} // namespace qtool
