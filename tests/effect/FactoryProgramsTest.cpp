// The factory bank's programs do what their names promise, through the effect as a host drives it.
#include "core/FactoryPrograms.h"
#include "cli/DemoSignal.h"
#include "testing/EffectHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

constexpr double kRate = 44100.0;

struct Promise {
    const char* name;
    std::vector<double> echoesMs; // each heard in the 10 ms from its time; nothing else up to the last
    double decaySeconds;          // the impulse response stays 60 dB below its peak from here on
};

const Promise kPromises[] = {
    {"Slapback", {110}, 0.15},
    {"Ping-Pong 1/4 120 BPM", {500, 1000, 1500, 2000}, 8.0},
    {"Dotted Eighth", {375, 500, 750, 875, 1125}, 4.5},
    {"Wide Doubler", {17, 29}, 0.05},
    {"Dub Spiral", {375, 750, 1125}, 8.0},
    {"Ambient Wash", {290, 470, 580, 710, 760}, 10.0},
    {"Filter Sweep Echo", {250, 500, 750}, 4.0},
    {"Defaults", {200, 400, 600, 800}, 7.0},
};

float peakOf(const Stereo& s, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < std::min(to, s.size()); ++i)
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    return peak;
}

void load(EffectHost& host, const FactoryProgram& program)
{
    float values[kNumParams];
    factoryValues(program, values);
    for (int i = 0; i < kNumParams; ++i)
        host.setReal(i, values[i]);
}

TEST(FactoryPrograms, EachKeepsWhatItsNamePromises)
{
    ASSERT_EQ(std::size(kFactoryPrograms), std::size(kPromises));
    const std::vector<float> demo = qtool::demoSignal(kRate);
    for (std::size_t p = 0; p < std::size(kPromises); ++p) {
        const Promise& promise = kPromises[p];
        ASSERT_STREQ(kFactoryPrograms[p].name, promise.name);
        EXPECT_LE(std::strlen(promise.name), 24u);
        // The impulse quiet enough for the clipper to stay linear; the dry part left out.
        EffectHost host;
        load(host, kFactoryPrograms[p]);
        const std::size_t frames = static_cast<std::size_t>((promise.decaySeconds + 3.0) * kRate);
        Stereo response = host.render(impulse(frames, 0, 0.01f, 0.01f));
        response.left[0] = response.right[0] = 0.0f;
        const float peak = peakOf(response);
        // A repeat comes a frame early for each pass through the loop: each tap's delay is cut to whole frames.
        const auto at = [](double ms) { return static_cast<std::size_t>(ms * kRate / 1000.0) - 2; };
        EXPECT_LT(peakOf(response, at(promise.decaySeconds * 1000.0)), peak * 1e-3f) << promise.name;
        EXPECT_EQ(peakOf(response, 0, at(promise.echoesMs.front())), 0.0f) << promise.name;
        for (std::size_t e = 0; e < promise.echoesMs.size(); ++e) {
            const double ms = promise.echoesMs[e],
                         next = e + 1 < promise.echoesMs.size() ? promise.echoesMs[e + 1] : ms;
            EXPECT_GT(peakOf(response, at(ms), at(ms + 10.0)), peak * 0.05f) << promise.name << " " << ms << " ms";
            EXPECT_LT(peakOf(response, at(ms + 25.0), at(next)), peak * 1e-3f) << promise.name << " after " << ms;
        }

        // The demo signal, rendered as the tool renders it, with its echoes: below full scale.
        EffectHost demoHost;
        load(demoHost, kFactoryPrograms[p]);
        Stereo input(demo.size() + static_cast<std::size_t>(4 * kRate));
        std::copy(demo.begin(), demo.end(), input.left.begin()),
            std::copy(demo.begin(), demo.end(), input.right.begin());
        EXPECT_LT(peakOf(demoHost.render(input)), 1.0f) << promise.name;
    }
}

} // namespace
