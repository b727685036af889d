// The impulse response at the defaults is the reference for the whole signal path: four taps
// panned left to right, tap 4 feeding back through the clipper at 40 %.
#include "EffectHost.h"

#include <cmath>
#include <map>
#include <random>

namespace {

constexpr std::size_t kFrames = 80001;

const std::map<std::size_t, std::pair<float, float>> kReference = {
    {8820, {0.481481f, 0.0f}},        {17640, {0.320988f, 0.160494f}}, {26460, {0.160494f, 0.320988f}},
    {35280, {0.0f, 0.481481f}},       {44100, {0.191534f, 0.0f}},      {52920, {0.127690f, 0.0638448f}},
    {61740, {0.0638448f, 0.127690f}}, {70560, {0.0f, 0.191534f}},      {79380, {0.0765471f, 0.0f}},
};

// Printed to six significant digits: compare within their last digit plus float rounding.
void expectReference(const Stereo& out)
{
    int mismatches = 0;
    for (std::size_t frame = 0; frame < out.size() && mismatches < 5; ++frame) {
        const auto it = kReference.find(frame);
        const float l = it == kReference.end() ? 0.0f : it->second.first;
        const float r = it == kReference.end() ? 0.0f : it->second.second;
        const float tolerance = it == kReference.end() ? 0.0f : 1e-6f + 5e-6f * std::fabs(l + r);
        if (std::fabs(out.left[frame] - l) > tolerance || std::fabs(out.right[frame] - r) > tolerance) {
            ADD_FAILURE() << "frame " << frame << ": (" << out.left[frame] << ", " << out.right[frame] << ") expected ("
                          << l << ", " << r << ")";
            ++mismatches;
        }
    }
}

std::vector<int> randomBlocks(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> size(0, 3000);
    std::vector<int> blocks(200);
    for (int& b : blocks)
        b = size(random);
    blocks.push_back(1); // never a cycle of zero-sized blocks only
    return blocks;
}

TEST(ImpulseResponse, DefaultsMatchTheReferenceInEveryChunking)
{
    struct Case {
        const char* name;
        std::vector<int> blocks;
        Callback callback;
        bool inPlace;
    };
    const Case cases[] = {
        {"one block", {static_cast<int>(kFrames)}, Callback::Replacing, false},
        {"blocks of 512", {512}, Callback::Replacing, false},
        {"in place", {4096}, Callback::Replacing, true},
        {"accumulating into silence", {1024}, Callback::Accumulating, false},
        {"random blocks with empty ones", randomBlocks(7), Callback::Replacing, false},
        {"random blocks in place", randomBlocks(11), Callback::Replacing, true},
    };
    // Both builds of the frame loop where this processor runs the wide one.
    for (bool wide : {false, true}) {
        if (wide && !quadecho::wideFramesAvailable())
            continue;
        quadecho::useWideFrames(wide);
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (wide ? " (wide)" : " (portable)"));
            EffectHost host;
            expectReference(host.render(impulse(kFrames), c.blocks, c.callback, c.inPlace));
        }
    }
    quadecho::useWideFrames(true);
}

// Interleaved buffers go frame by frame, planar ones four frames at a time: the same signal.
TEST(ImpulseResponse, FrameByFrameAndGroupedPathsAgree)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    constexpr std::size_t kLength = 30001;
    Stereo planar(kLength);
    std::vector<float> interleaved(2 * kLength);
    for (std::size_t i = 0; i < kLength; ++i) {
        planar.left[i] = interleaved[2 * i] = sample(random);
        planar.right[i] = interleaved[2 * i + 1] = sample(random);
    }
    EffectHost grouped, single;
    for (EffectHost* host : {&grouped, &single}) {
        host->setReal(2, 50.0f); // every tap fed back, the filter between band and high
        host->setReal(19, 2.5f);
        host->setReal(21, 3.0f);
    }
    const Stereo a = grouped.render(planar, {1000, 333, 7});
    std::vector<float> out(2 * kLength);
    for (std::size_t done = 0; done < kLength; done += 1000) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(1000, kLength - done));
        single.effect().ProcessCore(&interleaved[2 * done], &interleaved[2 * done + 1], &out[2 * done],
                                    &out[2 * done + 1], 2, 2, n, false);
    }
    for (std::size_t i = 0; i < kLength; ++i) {
        ASSERT_NEAR(a.left[i], out[2 * i], 1e-6f) << i;
        ASSERT_NEAR(a.right[i], out[2 * i + 1], 1e-6f) << i;
    }
}

TEST(ImpulseResponse, SampleBySampleMatchesOneBlock)
{
    EffectHost whole, single;
    const Stereo input = impulse(40000, 3, 0.7f, -0.2f);
    const Stereo a = whole.render(input, {40000});
    const Stereo b = single.render(input, {1});
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

} // namespace
