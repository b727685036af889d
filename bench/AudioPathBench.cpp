// Frames per second through the record's replacing callback, as a host calls it.
#include "FloorKernels.h"
#include "core/DenormalGuard.h"
#include "host/ClapHost.h"
#include "testing/EffectHost.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

enum Settings { kDefault, kBusy, kDecayingTail, kHighQ, kAutomation };

// A host automating a parameter sample-accurately splits its blocks at every change.
constexpr int kAutomationStep = 64;

struct Session {
    EffectHost host;
    AEffect* e;
    std::vector<float> inL, inR, outL, outR;

    Session(Settings settings, int blockSize, LoopBuild loop) : host(loop), e(host.record())
    {
        host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        host.dispatch(effSetBlockSize, 0, blockSize);
        host.dispatch(effMainsChanged, 0, 1);
        if (settings == kBusy) {
            const float times[] = {130.0f, 290.0f, 470.0f, 710.0f};
            for (int tap = 0; tap < kNumTaps; ++tap) {
                host.setReal(tapParam(tap, TapParam::Time), times[tap]);
                host.setReal(tapParam(tap, TapParam::Feedback), 30.0f);
            }
            host.setReal(kWetDryMix, 0.5f);
            host.setReal(kFilterQ, 0.4f);
            host.setReal(kFilterType, 2.5f); // between band- and high-pass
            host.setReal(kFilterSweep, 0.3f);
            host.setReal(kSaturation, 6.0f);
        } else if (settings == kDecayingTail) {
            for (int tap = 0; tap < kNumTaps; ++tap)
                host.setReal(tapParam(tap, TapParam::Feedback), 20.0f); // loop gain 0.8: a long, decaying tail
        } else if (settings == kHighQ) {
            // No damping at all: the filter runs frame by frame.
            for (int tap = 0; tap < kNumTaps; ++tap)
                host.setReal(tapParam(tap, TapParam::Feedback), 24.0f); // loop gain 0.96
            host.setReal(kFilterQ, 1.0f);
            host.setReal(kFilterType, 2.0f);
        }
        Noise source(1, 0.5f);
        inL = source.samples(blockSize), inR = source.samples(blockSize);
        outL.resize(blockSize);
        outR.resize(blockSize);
        if (settings == kDecayingTail) {
            // A burst, then silence long enough for the echoes to decay towards the denormal range.
            process(std::vector<float>(4410, 0.5f));
            process(std::vector<float>(4000000, 0.0f));
            std::fill(inL.begin(), inL.end(), 0.0f);
            std::fill(inR.begin(), inR.end(), 0.0f);
        }
    }
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

    // The cutoff moves a little before every kAutomationStep frames: each step forms the filter's
    // coefficients again.
    void automatedBlock()
    {
        const auto frames = static_cast<int>(inL.size());
        for (int done = 0; done < frames; done += kAutomationStep) {
            cutoffStep = (cutoffStep + 1) % 100;
            e->setParameter(e, kFilterCutoff, 0.1f + 0.001f * static_cast<float>(cutoffStep));
            float* in[2] = {inL.data() + done, inR.data() + done};
            float* out[2] = {outL.data() + done, outR.data() + done};
            e->processReplacing(e, in, out, std::min(kAutomationStep, frames - done));
        }
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    int cutoffStep = 0;
};

// The frame loop this processor runs by default (the wide build where it can), or the portable one.
// A flushing host runs its audio thread with flush-to-zero (and denormals-are-zero) set already, as
// most hosts do; the others leave the processor's default mode.
void audioPath(benchmark::State& state, Settings settings, bool portable = false, bool flushingHost = false)
{
    const int blockSize = static_cast<int>(state.range(0));
    std::optional<DenormalGuard> hostMode;
    if (flushingHost)
        hostMode.emplace();
    Session session(settings, blockSize, portable ? LoopBuild::Portable : bestLoopBuild());
    for (auto _ : state) {
        if (settings == kAutomation)
            session.automatedBlock();
        else
            session.block();
    }
    state.SetItemsProcessed(state.iterations() * blockSize);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockSize, benchmark::Counter::kIsRate);
}

// The default coefficients, as the audio path computes them for a fresh program at 44.1 kHz.
BlockCoefficients defaultCoefficients()
{
    float values[kNumParams];
    defaultValues(values);
    return computeCoefficients(values, 44100.0f, lineLengthFor(44100.0f));
}

void floorKernel(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const BlockCoefficients c = defaultCoefficients();
    const std::vector<float> loopInput = Noise(3, 1.6f).samples(blockSize);
    FilterState filter{};
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::filterFloor(loopInput.data(), blockSize, c.f, c.damping, filter));
    state.SetItemsProcessed(state.iterations() * blockSize);
}

void literalLoop(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const BlockCoefficients c = defaultCoefficients();
    const std::int32_t n = lineLengthFor(44100.0f);
    std::vector<float> line(n), inL = Noise(4, 0.5f).samples(blockSize), inR = Noise(5, 0.5f).samples(blockSize);
    std::vector<float> outL(blockSize), outR(blockSize);
    std::int32_t w = 0;
    FilterState filter{};
    for (auto _ : state) {
        bench::literalLoop(c, line.data(), n, w, filter, inL.data(), inR.data(), outL.data(), outR.data(), blockSize,
                           false);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * blockSize);
}

// Blocks of 512 frames through the CLAP adapter at the defaults, with a cutoff event every `every`
// frames (0: none), applied at its frame: the block runs in pieces split there.
void clapAutomation(benchmark::State& state, std::uint32_t every)
{
    constexpr std::uint32_t kBlock = 512;
    claphost::PluginInstance plugin(clap_entry, "quadecho.clap");
    plugin.activate(44100.0, kBlock);
    const std::vector<float> inL = Noise(1, 0.5f).samples(kBlock), inR = Noise(2, 0.5f).samples(kBlock);
    std::vector<float> outL(kBlock), outR(kBlock);
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    claphost::EventList events[100];
    for (int step = 0; every && step < 100; ++step)
        for (std::uint32_t at = 0; at < kBlock; at += every)
            events[step].value(at, kFilterCutoff, 800.0 + step + at / every);
    for (int step = 0; auto _ : state) {
        plugin.process(in, out, kBlock, events[step]);
        step = (step + 1) % 100;
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// One coefficient update after a change of the cutoff: what each applied event adds at the least.
void coefficientUpdate(benchmark::State& state)
{
    CoefficientUpdater updater(HostValues::HeldToRange);
    float values[kNumParams];
    defaultValues(values);
    for (int step = 0; auto _ : state) {
        values[kFilterCutoff] = 800.0f + static_cast<float>(step = (step + 1) % 100);
        benchmark::DoNotOptimize(updater.update(values, 44100.0f, lineLengthFor(44100.0f)).f);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(floorKernel)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(literalLoop)->Arg(512);
BENCHMARK_CAPTURE(audioPath, default, kDefault)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, flushing_default, kDefault, false, true)->Arg(1)->Arg(32)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, busy, kBusy)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, decaying_tail, kDecayingTail)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, high_q, kHighQ)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, automation, kAutomation)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_default, kDefault, true)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_flushing_default, kDefault, true, true)->Arg(1)->Arg(32)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_busy, kBusy, true)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_decaying_tail, kDecayingTail, true)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_high_q, kHighQ, true)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(audioPath, portable_automation, kAutomation, true)->Arg(1)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK_CAPTURE(clapAutomation, no_events, 0);
BENCHMARK_CAPTURE(clapAutomation, every_64, 64);
BENCHMARK_CAPTURE(clapAutomation, every_16, 16);
BENCHMARK(coefficientUpdate);

// Collects nanoseconds per frame (the median where runs are repeated) and prints each case as a
// ratio to the floor kernel of the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const auto it = run.counters.find("items_per_second");
            if (it == run.counters.end() || it->second.value <= 0)
                continue;
            const std::string name = run.run_type == Run::RT_Aggregate ? run.run_name.str() : run.benchmark_name();
            nsPerFrame[name] = 1e9 / it->second.value;
            if (run.run_type == Run::RT_Aggregate)
                medians.insert(name);
        }
    }

    void printRatios() const
    {
        const double floor = find("floorKernel/512");
        if (floor <= 0)
            return;
        std::printf("\nns per frame, and as a ratio to the floor kernel (clip and filter chain) at block 512: "
                    "%.3f ns\n",
                    floor);
        for (const auto& [name, ns] : nsPerFrame)
            std::printf("  %-40s %8.3f ns  %6.3f x floor%s\n", name.c_str(), ns, ns / floor,
                        medians.count(name) ? "  (median)" : "");
        std::printf("  the default frame loop here is the %s build\n",
                    bestLoopBuild() == LoopBuild::Avx2Fma ? "wide (AVX2, fused multiply-add)" : "portable");

        // Each build against its goals: ratios to the floor at block 512, block 32 against block 4096
        // per frame, and the cost of a call.
        struct Goal {
            const char* what;
            const char* settings;
            double portable, wide;
        };
        const Goal goals[] = {{"default", "default", 0.40, 0.30},
                              {"busy", "busy", 0.40, 0.30},
                              {"high Q (fallback)", "high_q", 1.1, 1.0},
                              {"automation", "automation", 0.6, 0.5}};
        std::printf("\n  %-32s %-10s %8s %8s\n", "goal (x floor at block 512)", "build", "measured", "goal");
        for (const bool wide : {false, true}) {
            if (wide && bestLoopBuild() != LoopBuild::Avx2Fma)
                continue;
            const std::string build = wide ? "" : "portable_";
            const char* name = wide ? "AVX2+FMA" : "portable";
            for (const Goal& goal : goals) {
                const double ns = find("audioPath/" + build + goal.settings + "/512");
                const double limit = wide ? goal.wide : goal.portable;
                if (ns > 0)
                    std::printf("  %-32s %-10s %8.3f %8.2f%s\n", goal.what, name, ns / floor, limit,
                                ns / floor <= limit ? "" : "  missed");
            }
            const double tail = find("audioPath/" + build + "decaying_tail/512");
            const double busy = find("audioPath/" + build + "busy/512");
            if (tail > 0 && busy > 0)
                std::printf("  %-32s %-10s %8.3f %8.2f%s\n", "decaying tail / busy", name, tail / busy, 1.0,
                            tail <= busy ? "" : "  missed");
            // Short blocks against long ones, per frame: the cost of a call.
            const std::tuple<const char*, const char*, double> shortBlocks[] = {
                {"flushing host", "flushing_default", 1.5}, {"default", "default", 1.8}, {"busy", "busy", 1.8}};
            for (const auto& [what, settings, limit] : shortBlocks) {
                const double small = find("audioPath/" + build + settings + "/32");
                const double large = find("audioPath/" + build + settings + "/4096");
                if (small > 0 && large > 0)
                    std::printf("  %-32s %-10s %8.3f %8.2f%s\n", (std::string(what) + ": block 32 / 4096").c_str(),
                                name, small / large, limit, small / large <= limit ? "" : "  missed");
            }
            // A call of one frame: what every call costs beside its frames.
            if (const double call = find("audioPath/" + build + "flushing_default/1"); call > 0)
                std::printf("  %-32s %-10s %8.1f %8.1f%s\n", "flushing host: ns per call", name, call, 20.0,
                            call <= 20.0 ? "" : "  missed");
        }
        // Dense automation through the CLAP adapter: the time each event adds, beside one update.
        const double plain = find("clapAutomation/no_events"), update = find("coefficientUpdate");
        for (const auto& [name, every] : {std::pair{"clapAutomation/every_64", 64}, {"clapAutomation/every_16", 16}})
            if (const double dense = find(name); dense > 0 && plain > 0)
                std::printf("  %-32s %8.1f ns per event (one coefficient update: %.1f ns)\n",
                            (std::string("CLAP, an event every ") + std::to_string(every)).c_str(),
                            (dense - plain) * every, update);
    }

private:
    double find(const std::string& name) const
    {
        const auto it = nsPerFrame.find(name);
        return it == nsPerFrame.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> nsPerFrame;
    std::set<std::string> medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
