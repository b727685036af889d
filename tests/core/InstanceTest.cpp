// The instance layer every format drives: the host-value policy, lines sized for usable rates
// only, history forgotten on reset. (That the owning instance renders what the 2.4 effect renders
// over its own members is shown through both adapters, in tests/lv2.)
#include "core/Instance.h"
#include "testing/RealtimeScope.h"
#include "testing/Stereo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <tuple>
#include <utility>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// This program's array allocations, so that a test can refuse the next one that may fail.
bool gRefuseNextNothrowArray = false;

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::exchange(gRefuseNextNothrowArray, false) ? nullptr : std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size)
{
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace quadecho;
using namespace quadecho::testhost;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(Instance, HostValuesCountAsThePolicySays)
{
    constexpr auto kAsGiven = HostValues::AsGiven, kHeld = HostValues::HeldToRange;
    const float cutoffDefault = kParameters[kFilterCutoff].defaultValue;
    const std::tuple<HostValues, int, float, float> rows[] = {{kAsGiven, kFilterCutoff, -5.0f, -5.0f},
                                                              {kAsGiven, kTap4Feedback, 250.0f, 250.0f},
                                                              {kAsGiven, kFilterCutoff, kNaN, cutoffDefault},
                                                              {kAsGiven, kFilterCutoff, -kInf, cutoffDefault},
                                                              {kHeld, kFilterCutoff, -5.0f, 50.0f},
                                                              {kHeld, kTap4Feedback, 250.0f, 100.0f},
                                                              {kHeld, kFilterType, 2.5f, 2.5f},
                                                              {kHeld, kFilterCutoff, kNaN, cutoffDefault},
                                                              {kHeld, kFilterCutoff, kInf, cutoffDefault}};
    for (const auto& [policy, index, sent, meant] : rows)
        EXPECT_EQ(hostValue(policy, kParameters[index], sent), meant)
            << (policy == kAsGiven ? "as given: " : "held to the range: ") << kParameters[index].name << " sent as "
            << sent;
}

TEST(Instance, SizesItsLineForUsableRatesOnly)
{
    const std::pair<double, std::int32_t> rates[] = {
        {1.0, 2},   {8000.0, 16000},   {44100.0, 88200}, {48000.0, 96000}, {1536000.0, 3072000},
        {0.0, 0},   {-44100.0, 0},     {0.5, 0},         {1536000.01, 0}, // in range only as a float
        {1e300, 0}, {double(kNaN), 0}, {double(kInf), 0}};
    for (const auto& [rate, samples] : rates) {
        EXPECT_EQ(lineSamplesFor(rate), samples) << rate;
        Instance instance(HostValues::HeldToRange);
        ASSERT_TRUE(instance.prepare(8000.0));
        EXPECT_EQ(instance.prepare(rate), samples > 0) << rate;
        EXPECT_EQ(instance.rate(), samples > 0 ? float(rate) : 8000.0f) << rate << ": a refused rate changes nothing";
    }
    Instance instance(HostValues::AsGiven);
    EXPECT_EQ(std::tuple(instance.prepared(), instance.rate()), std::tuple(false, 0.0f)) << "before any prepare";
    ASSERT_TRUE(instance.prepare(8000.0));
    gRefuseNextNothrowArray = true;
    EXPECT_FALSE(instance.prepare(16000.0)) << "no memory for the line";
    EXPECT_EQ(std::tuple(instance.prepared(), instance.rate()), std::tuple(true, 8000.0f)) << "after the failure";
}

Stereo run(Instance& instance, const float (&values)[kNumParams], const std::vector<float>& in)
{
    Stereo out(in.size(), kNaN);
    onAudioThread([&] {
        instance.process(values, {{in.data(), in.data(), out.left.data(), out.right.data(), 1, 1},
                                  static_cast<std::uint32_t>(in.size()),
                                  false});
    });
    return out;
}

// After reset nothing heard before comes back, the filter's ringing included; preparing again at
// another rate sizes a line for it. Before any prepare a block writes nothing.
TEST(Instance, ResetForgetsAndPrepareAgainTakesAnotherRate)
{
    float values[kNumParams];
    defaultValues(values);
    values[kFilterType] = 1.0f, values[kFilterQ] = 1.0f; // an undamped low-pass rings on
    Instance instance(HostValues::HeldToRange);
    const std::vector<float> silence(6000, 0.0f);
    EXPECT_TRUE(std::isnan(run(instance, values, silence).left[0])) << "an unprepared instance wrote its output";

    ASSERT_TRUE(instance.prepare(8000.0));
    std::vector<float> impulses(15999, 0.0f);
    impulses[14000] = impulses[15998] = 1.0f;
    run(instance, values, impulses);
    instance.reset();
    const Stereo after = run(instance, values, silence);
    EXPECT_EQ(std::count(after.left.begin(), after.left.end(), 0.0f), 6000) << "an echo survived the reset";
    EXPECT_EQ(std::count(after.right.begin(), after.right.end(), 0.0f), 6000) << "an echo survived the reset";

    run(instance, values, impulses); // ringing again when the rate changes
    ASSERT_TRUE(instance.prepare(16000.0));
    const std::vector<float> rung = run(instance, values, silence).left;
    EXPECT_EQ(std::count(rung.begin(), rung.end(), 0.0f), 6000) << "the filter's ringing survived a new line";
    std::vector<float> impulse(4000, 0.0f);
    impulse[0] = 1.0f;
    values[kFilterType] = 0.0f, values[kWetDryMix] = 0.5f;
    const Stereo echo = run(instance, values, impulse);
    EXPECT_EQ(std::find_if(echo.left.begin() + 1, echo.left.end(), [](float x) { return x != 0.0f; }) -
                  echo.left.begin(),
              3200)
        << "tap 1's 200 ms at 16 kHz";
}

} // namespace
