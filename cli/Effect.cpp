#include "Effect.h"

#include "core/Identity.h"
#include "core/Parameters.h"

#include <algorithm>
#include <vector>

namespace qtool {

namespace {

using quadecho::kParameters;

const quadecho::ParameterFacts& row(int index) { return kParameters[index]; }

class VstEffect final : public Effect {
public:
    explicit VstEffect(std::unique_ptr<LoadedModule> loaded)
        : Effect(loaded->path(), isOurs(*loaded)), module(std::move(loaded))
    {}

    LoadedModule* vst() override { return module.get(); }
    int numInputs() const override { return module->numInputs(); }
    int numOutputs() const override { return module->numOutputs(); }
    int numParams() const override { return module->numParams(); }
    std::string parameterName(int index) override { return module->parameterName(index); }
    std::string parameterLabel(int index) override { return module->parameterLabel(index); }
    std::optional<std::pair<double, double>> plainRange(int index) override
    {
        if (!builtIn())
            return std::nullopt;
        return std::pair<double, double>(row(index).minValue, row(index).maxValue);
    }
    double fromPlain(int index, double plain) override
    {
        return std::clamp(quadecho::valueToLinear(row(index), static_cast<float>(plain)), 0.0f, 1.0f);
    }
    double fromNormalised(int, double normalised) override { return normalised; }
    double plainOf(int index, double taken) override
    {
        return quadecho::valueFromLinear(row(index), static_cast<float>(taken));
    }
    double value(int index) override { return module->parameter(index); }
    void setValue(int index, double taken) override { module->setParameter(index, static_cast<float>(taken)); }

    std::string title() override
    {
        const std::string product = module->productString();
        return product.empty() ? module->effectName() : product;
    }
    std::string settingsName() override
    {
        return "program " + std::to_string(module->program()) + " \"" + module->programName(module->program()) + "\"";
    }
    std::optional<double> tailSeconds(double rate) override
    {
        const std::intptr_t tail = module->tailSize(); // 0: not known, 1: none
        return tail > 1 ? std::optional(static_cast<double>(tail) / rate) : std::nullopt;
    }

    void start(double rate, int blockSize) override
    {
        module->start(rate, blockSize);
        inputs.resize(static_cast<std::size_t>(numInputs()));
        outputs.resize(static_cast<std::size_t>(numOutputs()));
    }
    // The interface has no values inside a block: the block is split at each change.
    void process(float* const* in, float* const* out, int frames, std::span<const Change> changes) override
    {
        int done = 0;
        for (const Change& c : changes) {
            piece(in, out, done, c.frame);
            done = c.frame;
            module->setParameter(c.index, static_cast<float>(c.value));
        }
        piece(in, out, done, frames);
    }
    void stop() override { module->stop(); }

private:
    static bool isOurs(LoadedModule& m)
    {
        return m.uniqueId() == quadecho::kUniqueId && m.numParams() == quadecho::kNumParams &&
               m.effectName() == quadecho::kEffectName;
    }

    void piece(float* const* in, float* const* out, int from, int to)
    {
        if (to <= from)
            return;
        for (std::size_t c = 0; c < inputs.size(); ++c)
            inputs[c] = in[c] + from;
        for (std::size_t c = 0; c < outputs.size(); ++c)
            outputs[c] = out[c] + from;
        module->process(inputs.data(), outputs.data(), to - from);
    }

    std::unique_ptr<LoadedModule> module;
    std::vector<float*> inputs, outputs;
};

class ClapEffect final : public Effect {
public:
    explicit ClapEffect(std::unique_ptr<ClapModule> loaded)
        : Effect(loaded->path(), isOurs(*loaded)), module(std::move(loaded))
    {}

    ClapModule* clap() override { return module.get(); }
    // start() refuses other layouts.
    int numInputs() const override { return 2; }
    int numOutputs() const override { return 2; }
    int numParams() const override { return static_cast<int>(module->parameters().size()); }
    std::string parameterName(int index) override { return parameter(index).name; }
    std::string parameterLabel(int index) override { return builtIn() ? quadecho::unitLabel(row(index).unit) : ""; }
    std::optional<std::pair<double, double>> plainRange(int index) override
    {
        return std::pair(parameter(index).min, parameter(index).max);
    }
    double fromPlain(int, double plain) override { return plain; }
    double fromNormalised(int index, double normalised) override
    {
        const ClapModule::Parameter& p = parameter(index);
        return p.min + normalised * (p.max - p.min);
    }
    double plainOf(int, double taken) override { return taken; }
    double value(int index) override { return module->value(index); }
    void setValue(int index, double taken) override { module->setValue(index, taken); }

    std::string title() override { return module->description().name; }
    std::string settingsName() override { return {}; }
    std::optional<double> tailSeconds(double rate) override
    {
        const std::optional<std::uint32_t> frames = module->tailFrames(); // INT32_MAX and above: endless
        return frames ? std::optional(static_cast<double>(*frames) / rate) : std::nullopt;
    }

    void start(double rate, int blockSize) override { module->start(rate, blockSize); }
    void process(float* const* in, float* const* out, int frames, std::span<const Change> changes) override
    {
        events.clear();
        for (const Change& c : changes)
            events.value(static_cast<std::uint32_t>(c.frame), parameter(c.index).id, c.value);
        module->process(in, out, frames, events);
    }
    void stop() override {} // deactivated when unloaded

private:
    static bool isOurs(const ClapModule& m)
    {
        return m.description().id == quadecho::kClapId && m.parameters().size() == quadecho::kNumParams;
    }
    const ClapModule::Parameter& parameter(int index) const
    {
        return module->parameters().at(static_cast<std::size_t>(index));
    }

    std::unique_ptr<ClapModule> module;
    quadecho::claphost::EventList events;
};

} // namespace

std::unique_ptr<Effect> openEffect(const std::string& path)
{
    if (exportsClapEntry(path))
        return std::make_unique<ClapEffect>(std::make_unique<ClapModule>(path));
    return std::make_unique<VstEffect>(std::make_unique<LoadedModule>(path));
}

} // namespace qtool
