// A minimal host in the effect's own process, without a test framework, for the tests, the
// benchmark and the fuzz target: loads the effect through its entry point and drives it only
// through the record, as a host does. Blocks and parameter changes are made as on a host's audio
// thread (testing/RealtimeScope.h), as hosts that automate make them.
#pragma once

#include "core/Parameters.h"
#include "effect/VelqQuadecho.h"
#include "testing/Noise.h"
#include "testing/RealtimeScope.h"
#include "testing/Stereo.h"
#include "vst/AEffect.h"
#include "vst/EntryPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace quadecho::testhost {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

enum class Callback { Replacing, Accumulating };

// Calls block(inputs, outputs, frames) over the input in blocks whose sizes cycle through blockSizes,
// as a host does; the outputs start as `output`. In place, the host's output buffers hold the input
// and receive the result.
template <typename Block>
Stereo renderInBlocks(Stereo input, const std::vector<int>& blockSizes, bool inPlace, Stereo output, Block&& block)
{
    if (inPlace || output.size() != input.size())
        output = inPlace ? input : Stereo(input.size()); // the host's leftovers, or silence
    for (std::size_t done = 0, which = 0; done < input.size();) {
        const auto frames = std::min<std::size_t>(blockSizes[which++ % blockSizes.size()], input.size() - done);
        float* out[2] = {output.left.data() + done, output.right.data() + done};
        float* separate[2] = {input.left.data() + done, input.right.data() + done};
        block(inPlace ? out : separate, out, static_cast<VstInt32>(frames));
        done += frames;
    }
    return output;
}

class EffectHost {
public:
    explicit EffectHost(LoopBuild loop = bestLoopBuild(), audioMasterCallback host = quietHost) : e(VSTPluginMain(host))
    {
        effect().selectLoopBuild(loop);
    }
    ~EffectHost()
    {
        if (e)
            close();
    }
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    // The effect's answer to effClose; the host may not use the record afterwards.
    VstIntPtr close()
    {
        AEffect* closed = std::exchange(e, nullptr);
        return closed->dispatcher(closed, effClose, 0, 0, nullptr, 0.0f);
    }

    AEffect* record() const { return e; }
    VelqQuadecho& effect() const { return *static_cast<VelqQuadecho*>(static_cast<AudioEffect*>(e->object)); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    std::string text(VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[256] = {};
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }
    void set(VstInt32 index, float normalised)
    {
        onAudioThread([&] { e->setParameter(e, index, normalised); });
    }
    // Sets a parameter by its real value, as the table maps it.
    void setReal(VstInt32 index, float real) { set(index, valueToLinear(kParameters[index], real)); }
    // With resume, the host suspends, sets the rate and resumes; without, it only sets the rate.
    void setSampleRate(float rate, bool resume = true)
    {
        if (resume)
            dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        if (resume)
            dispatch(effMainsChanged, 0, 1);
    }

    // One block, the host's buffers as they are.
    void process(float** in, float** out, VstInt32 frames, Callback callback = Callback::Replacing)
    {
        const auto call = callback == Callback::Replacing ? e->processReplacing : e->process;
        onAudioThread([&] { call(e, in, out, frames); });
    }

    // The effect's callback over the input, as renderInBlocks calls it.
    Stereo render(Stereo input, std::vector<int> blockSizes = {512}, Callback callback = Callback::Replacing,
                  bool inPlace = false, Stereo output = Stereo())
    {
        return renderInBlocks(std::move(input), blockSizes, inPlace, std::move(output),
                              [&](float** in, float** out, VstInt32 frames) { process(in, out, frames, callback); });
    }

private:
    AEffect* e;
};

inline Stereo impulse(std::size_t frames, std::size_t at = 0, float left = 1.0f, float right = 0.0f)
{
    Stereo s(frames);
    s.left[at] = left, s.right[at] = right;
    return s;
}

inline Stereo noise(std::size_t frames, unsigned seed, float peak = 1.0f)
{
    Noise source(seed, peak);
    Stereo s;
    s.left = source.samples(frames), s.right = source.samples(frames);
    return s;
}

inline bool allFinite(const Stereo& s)
{
    const auto finite = [](float v) { return std::isfinite(v); };
    return std::all_of(s.left.begin(), s.left.end(), finite) && std::all_of(s.right.begin(), s.right.end(), finite);
}

inline std::size_t firstNonZero(const std::vector<float>& v)
{
    return static_cast<std::size_t>(std::find_if(v.begin(), v.end(), [](float x) { return x != 0.0f; }) - v.begin());
}

} // namespace quadecho::testhost
