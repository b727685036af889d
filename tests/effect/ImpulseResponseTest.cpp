// The impulse response at the defaults is the reference for the whole signal path, in every
// chunking a host may use, in place or not, through both callbacks and both builds of the frame
// loop where this processor runs the wide one.
#include "tests/support/DefaultResponse.h"
#include "testing/EffectHost.h"
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace quadecho;
using namespace quadecho::testhost;
using quadecho::testsupport::kDefaultResponse;

namespace {

TEST(ImpulseResponse, DefaultsInEveryChunking)
{
    constexpr std::size_t kFrames = 80001;
    const std::tuple<const char*, std::vector<int>, bool, Callback> cases[] = {
        {"sample by sample", {1}, false, Callback::Replacing},
        {"irregular blocks with empty ones", {0, 2999, 1, 17, 0, 2048, 999, 6, 3}, false, Callback::Replacing},
        {"irregular blocks in place", {1023, 0, 5, 3001, 2, 513}, true, Callback::Replacing},
        {"accumulating onto 0.25", {512, 3}, false, Callback::Accumulating},
    };
    for (LoopBuild loop : {LoopBuild::Portable, LoopBuild::Avx2Fma}) {
        if (!quadecho::canRun(loop))
            continue;
        for (const auto& [name, blocks, inPlace, callback] : cases) {
            SCOPED_TRACE(::testing::Message() << name << (loop == LoopBuild::Avx2Fma ? " (wide)" : " (portable)"));
            // Replacing never reads the host's output buffers: not-a-number left there must not leak in.
            const float old = callback == Callback::Accumulating ? 0.25f : 0.0f;
            const Stereo leftovers(kFrames, callback == Callback::Accumulating ? old : kNaN);
            EffectHost host(loop);
            const Stereo out = host.render(impulse(kFrames), blocks, callback, inPlace, leftovers);
            for (std::size_t frame = 0; frame < kFrames; ++frame) {
                const auto it = kDefaultResponse.find(frame);
                const auto [l, r] = it == kDefaultResponse.end() ? std::pair(0.0f, 0.0f) : it->second;
                // Six significant digits: within their last digit plus float rounding; silence exactly.
                const float tolerance = it == kDefaultResponse.end() ? 0.0f : 1e-6f + 5e-6f * std::fabs(l + r);
                ASSERT_NEAR(out.left[frame], old + l, tolerance) << "frame " << frame;
                ASSERT_NEAR(out.right[frame], old + r, tolerance) << "frame " << frame;
            }
        }
    }
}

} // namespace
