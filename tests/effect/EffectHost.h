// A minimal host for the tests: loads the effect through its entry point and drives it only
// through the record, as a host does.
#pragma once

#include "base/ParameterTable.h"
#include "effect/VelqQuadecho.h"
#include "vst/AEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

inline VstIntPtr VSTCALLBACK testHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0, float fill = 0.0f) : left(frames, fill), right(frames, fill) {}
    std::size_t size() const { return left.size(); }
};

enum class Callback { Replacing, Accumulating };

class EffectHost {
public:
    EffectHost() : e(VSTPluginMain(testHostCallback)) {}
    ~EffectHost()
    {
        if (e)
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    AEffect* record() const { return e; }
    VelqQuadecho& effect() const { return *static_cast<VelqQuadecho*>(static_cast<AudioEffect*>(e->object)); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    std::string text(VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[256];
        std::fill(std::begin(buffer), std::end(buffer), '\x7f');
        dispatch(opcode, index, 0, buffer, 0.0f);
        return buffer;
    }
    void set(VstInt32 index, float normalised) { e->setParameter(e, index, normalised); }
    float get(VstInt32 index) { return e->getParameter(e, index); }
    // Sets a parameter by its real value, as the table maps it.
    void setReal(VstInt32 index, float real)
    {
        AudioUnitParameter parameter{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
        set(index, AUParameterValueToLinear(real, &parameter));
    }
    void setSampleRate(float rate, bool resume = true)
    {
        if (resume)
            dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        if (resume)
            dispatch(effMainsChanged, 0, 1);
    }

    // Processes in blocks whose sizes cycle through blockSizes; outputs start as `output`. In
    // place, the host's output buffers hold the input and receive the result.
    Stereo render(const Stereo& input, std::vector<int> blockSizes = {512}, Callback callback = Callback::Replacing,
                  bool inPlace = false, Stereo output = Stereo())
    {
        const std::size_t frames = input.size();
        Stereo source = input;
        if (inPlace)
            output = input;
        else if (output.size() != frames)
            output = Stereo(frames);
        std::size_t done = 0, which = 0;
        while (done < frames) {
            const auto block = std::min<std::size_t>(blockSizes[which++ % blockSizes.size()], frames - done);
            float* out[2] = {output.left.data() + done, output.right.data() + done};
            float* separate[2] = {source.left.data() + done, source.right.data() + done};
            float** in = inPlace ? out : separate;
            if (callback == Callback::Replacing)
                e->processReplacing(e, in, out, static_cast<VstInt32>(block));
            else
                e->process(e, in, out, static_cast<VstInt32>(block));
            done += block;
        }
        return output;
    }

private:
    AEffect* e;
};

inline Stereo impulse(std::size_t frames, std::size_t at = 0, float left = 1.0f, float right = 0.0f)
{
    Stereo s(frames);
    s.left[at] = left;
    s.right[at] = right;
    return s;
}

// Uniform noise from a fixed seed.
inline Stereo noise(std::size_t frames, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        s.left[i] = sample(random);
        s.right[i] = sample(random);
    }
    return s;
}

inline bool allFinite(const Stereo& s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i]))
            return false;
    return true;
}

inline std::size_t firstNonZero(const std::vector<float>& v)
{
    for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] != 0.0f)
            return i;
    return v.size();
}
