// Frames per second through the record's replacing callback, as a host calls it.
#include "base/ParameterTable.h"
#include "vst/AEffect.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace {

VstIntPtr VSTCALLBACK benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

enum Settings { kDefault, kBusy, kDecayingTail };

void setReal(AEffect* e, int index, float real)
{
    AudioUnitParameter parameter{nullptr, static_cast<AudioUnitParameterID>(index), 0, 0};
    e->setParameter(e, index, AUParameterValueToLinear(real, &parameter));
}

struct Session {
    AEffect* e;
    std::vector<float> inL, inR, outL, outR;

    Session(Settings settings, int blockSize) : e(VSTPluginMain(benchHost))
    {
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        e->dispatcher(e, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
        if (settings == kBusy) {
            const float times[] = {130.0f, 290.0f, 470.0f, 710.0f};
            for (int tap = 0; tap < 4; ++tap) {
                setReal(e, 4 * tap, times[tap]);
                setReal(e, 4 * tap + 2, 30.0f);
            }
            setReal(e, 16, 0.5f);
            setReal(e, 18, 0.4f);
            setReal(e, 19, 2.5f); // between band- and high-pass
            setReal(e, 20, 0.3f);
            setReal(e, 21, 6.0f);
        } else if (settings == kDecayingTail) {
            for (int tap = 0; tap < 4; ++tap)
                setReal(e, 4 * tap + 2, 20.0f); // loop gain 0.8: a long, decaying tail
        }
        inL.resize(blockSize);
        inR.resize(blockSize);
        outL.resize(blockSize);
        outR.resize(blockSize);
        std::mt19937 random(1);
        std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
        for (int i = 0; i < blockSize; ++i) {
            inL[i] = sample(random);
            inR[i] = sample(random);
        }
        if (settings == kDecayingTail) {
            // A burst, then silence long enough for the echoes to decay towards the denormal range.
            process(std::vector<float>(4410, 0.5f));
            process(std::vector<float>(4000000, 0.0f));
            std::fill(inL.begin(), inL.end(), 0.0f);
            std::fill(inR.begin(), inR.end(), 0.0f);
        }
    }
    ~Session() { e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f); }

    void process(const std::vector<float>& mono)
    {
        std::vector<float> l = mono, r = mono;
        float* in[2] = {l.data(), r.data()};
        for (std::size_t done = 0; done < mono.size(); done += 4096) {
            const auto n = static_cast<VstInt32>(std::min<std::size_t>(4096, mono.size() - done));
            float* chunk[2] = {in[0] + done, in[1] + done};
            e->processReplacing(e, chunk, chunk, n);
        }
    }

    void block()
    {
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        e->processReplacing(e, in, out, static_cast<VstInt32>(inL.size()));
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
};

void audioPath(benchmark::State& state, Settings settings)
{
    const int blockSize = static_cast<int>(state.range(0));
    Session session(settings, blockSize);
    for (auto _ : state)
        session.block();
    state.SetItemsProcessed(state.iterations() * blockSize);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockSize, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(audioPath, default, kDefault)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, busy, kBusy)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, decaying_tail, kDecayingTail)->Arg(512)->Arg(4096);

} // namespace
