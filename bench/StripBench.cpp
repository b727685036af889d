// Microseconds to draw the settings' picture at three widths, from a narrow mixer strip to a whole
// screen, and to compute the echo pattern behind it alone: every factory program, and the
// settings that drive the pattern hardest (every loop at its highest gain through an undamped
// band-pass, the taps reading the whole line or a millisecond back).
#include "core/Coefficients.h"
#include "core/EchoPattern.h"
#include "core/FactoryPrograms.h"
#include "core/Types.h"
#include "draw/Strip.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace quadecho;

namespace {

constexpr float kRate = 44100.0f;
constexpr int kPatternColumns = 200;

struct Case {
    std::string name;
    bool factory;
    float values[kNumParams];
};

std::vector<Case> makeCases()
{
    std::vector<Case> cases;
    for (const FactoryProgram& program : kFactoryPrograms) {
        Case& c = cases.emplace_back(Case{factorySlug(program.name), true, {}});
        factoryValues(program, c.values);
    }
    for (const float ms : {0.0f, 1.0f}) {
        Case& c = cases.emplace_back(Case{"worst-" + std::to_string(static_cast<int>(ms)) + "ms", false, {}});
        defaultValues(c.values);
        for (int tap = 0; tap < kNumTaps; ++tap) {
            c.values[tapParam(tap, TapParam::Time)] = ms;
            c.values[tapParam(tap, TapParam::Feedback)] = 100.0f;
        }
        c.values[kMasterFeedback] = 200.0f;
        c.values[kFilterQ] = 1.0f;
        c.values[kFilterType] = 2.0f;
    }
    return cases;
}

// The picture at the size a host offering w × w pixels gets.
void strip(benchmark::State& state, const Case& c)
{
    const auto w = static_cast<std::uint32_t>(state.range(0));
    const draw::Size size = draw::stripSize(w, w);
    draw::Image image;
    if (!image.resize(size.width, size.height)) {
        state.SkipWithError("no memory for the image");
        return;
    }
    for (auto _ : state) {
        draw::drawStrip(c.values, HostValues::AsGiven, kRate, image);
        benchmark::DoNotOptimize(image.pixels());
        benchmark::ClobberMemory();
    }
}

void pattern(benchmark::State& state, const Case& c)
{
    const BlockCoefficients coefficients = computeCoefficients(c.values, kRate, lineLengthFor(kRate));
    std::vector<SideEnergy> columns(kPatternColumns);
    for (auto _ : state) {
        echoPattern(coefficients, kRate, lineLengthFor(kRate), columns);
        benchmark::DoNotOptimize(columns.data());
        benchmark::ClobberMemory();
    }
}

// Prints, per measurement and size, the slowest factory program and each of the hardest settings:
// median and standard deviation in microseconds (aggregates of repeated runs; single runs alone
// have no spread).
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(const std::vector<Case>& cases) : cases(cases) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median" && run.aggregate_name != "stddev")
                continue;
            Figures& f = figures[aggregate ? run.run_name.str() : run.benchmark_name()];
            (aggregate && run.aggregate_name == "stddev" ? f.stddev : f.median) = run.GetAdjustedRealTime();
        }
    }

    void printSummary() const
    {
        std::printf("\nmedian (standard deviation), microseconds\n");
        for (const char* what : {"drawStrip", "echoPattern"})
            for (const char* size : {"/60", "/200", "/2000", ""}) {
                const std::string suffix = size;
                const Case* slowest = nullptr;
                double slowestMedian = 0.0;
                for (const Case& c : cases)
                    if (const Figures* f = find(what, c, suffix); c.factory && f && f->median > slowestMedian)
                        slowest = &c, slowestMedian = f->median;
                if (!slowest)
                    continue;
                std::printf("  %s%s\n", what, size);
                print("slowest factory program: " + slowest->name, *find(what, *slowest, suffix), slowestMedian);
                for (const Case& c : cases)
                    if (const Figures* f = find(what, c, suffix); !c.factory && f)
                        print(c.name, *f, slowestMedian);
            }
    }

private:
    struct Figures {
        double median = 0.0, stddev = -1.0;
    };

    const Figures* find(const char* what, const Case& c, const std::string& suffix) const
    {
        const auto it = figures.find(std::string(what) + "/" + c.name + suffix);
        return it == figures.end() ? nullptr : &it->second;
    }

    static void print(const std::string& name, const Figures& f, double slowestFactory)
    {
        std::printf("    %-48s %10.2f", name.c_str(), f.median);
        if (f.stddev >= 0.0)
            std::printf(" (%.2f)", f.stddev);
        std::printf("  %.2f x the slowest program\n", f.median / slowestFactory);
    }

    const std::vector<Case>& cases;
    std::map<std::string, Figures> figures;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const std::vector<Case> cases = makeCases();
    for (const Case& c : cases)
        benchmark::RegisterBenchmark(("drawStrip/" + c.name).c_str(), strip, c)
            ->Arg(60)
            ->Arg(200)
            ->Arg(2000)
            ->Unit(benchmark::kMicrosecond);
    for (const Case& c : cases)
        benchmark::RegisterBenchmark(("echoPattern/" + c.name).c_str(), pattern, c)->Unit(benchmark::kMicrosecond);
    SummaryReporter reporter(cases);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
