// The impulse response at the defaults is the reference for the whole signal path: four taps
// panned left to right, tap 4 feeding back through the clipper at 40 %.
#include "tests/support/EffectHost.h"
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

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
    for (std::size_t frame = 0; frame < out.size(); ++frame) {
        const auto it = kReference.find(frame);
        const auto [l, r] = it == kReference.end() ? std::pair(0.0f, 0.0f) : it->second;
        const float tolerance = it == kReference.end() ? 0.0f : 1e-6f + 5e-6f * std::fabs(l + r);
        ASSERT_NEAR(out.left[frame], l, tolerance) << "frame " << frame;
        ASSERT_NEAR(out.right[frame], r, tolerance) << "frame " << frame;
    }
}

TEST(ImpulseResponse, DefaultsMatchTheReferenceInEveryChunking)
{
    const std::tuple<const char*, std::vector<int>, bool> cases[] = {
        {"one block", {static_cast<int>(kFrames)}, false},
        {"sample by sample", {1}, false},
        {"blocks of 512", {512}, false},
        {"in place", {4096}, true},
        {"irregular blocks with empty ones", {0, 2999, 1, 17, 0, 2048, 999, 6, 3}, false},
        {"irregular blocks in place", {1023, 0, 5, 3001, 2, 513}, true},
    };
    // Both builds of the frame loop where this processor runs the wide one.
    for (FrameLoop loop : {FrameLoop::Portable, FrameLoop::Wide}) {
        if (!quadecho::canRun(loop))
            continue;
        for (const auto& [name, blocks, inPlace] : cases) {
            SCOPED_TRACE(::testing::Message() << name << (loop == FrameLoop::Wide ? " (wide)" : " (portable)"));
            EffectHost host(loop);
            expectReference(host.render(impulse(kFrames), blocks, Callback::Replacing, inPlace));
        }
    }
}

// Away from the defaults too, neither the blocks, in place or not, nor the build of the frame
// loop change the sound.
TEST(ImpulseResponse, BlocksAndFrameLoopsAgreeAwayFromTheDefaults)
{
    const Stereo input = noise(30001, 5);
    auto render = [&](FrameLoop loop, std::vector<int> blocks, bool inPlace) {
        EffectHost host(loop);
        host.setReal(kTap1Feedback, 50.0f); // tap 1 fed back, the filter between band and high, saturation
        host.setReal(kFilterType, 2.5f);
        host.setReal(kSaturation, 3.0f);
        return host.render(input, blocks, Callback::Replacing, inPlace);
    };
    const Stereo reference = render(FrameLoop::Portable, {30001}, false);
    for (FrameLoop loop : {FrameLoop::Portable, FrameLoop::Wide}) {
        for (const auto& blocks : {std::vector<int>{1}, {1000, 333, 7}, {4096}}) {
            SCOPED_TRACE(::testing::Message()
                         << blocks.size() << " block sizes" << (loop == FrameLoop::Wide ? " (wide)" : ""));
            const Stereo out = render(loop, blocks, blocks.size() > 1);
            for (std::size_t i = 0; i < out.size(); ++i) {
                ASSERT_NEAR(out.left[i], reference.left[i], 1e-6f) << i;
                ASSERT_NEAR(out.right[i], reference.right[i], 1e-6f) << i;
            }
        }
    }
}

} // namespace
