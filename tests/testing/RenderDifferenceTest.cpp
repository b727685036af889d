// What the render comparison says: nothing for equal renders, otherwise where they first part.
#include "testing/Stereo.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using quadecho::testhost::firstDifference;
using quadecho::testhost::Stereo;

Stereo changed(Stereo s, bool right, std::size_t frame, float value)
{
    (right ? s.right : s.left).at(frame) = value;
    return s;
}

TEST(RenderDifference, NamesTheFirstDifferingFrameAndChannelWithBothValues)
{
    const Stereo base(4, 0.5f);
    Stereo ragged = base;
    ragged.right.pop_back();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::tuple<const char*, Stereo, Stereo, std::string> cases[] = {
        {"equal", base, base, ""},
        {"right, then left", changed(changed(base, true, 1, 0.25f), false, 2, 1.0f), base,
         "first difference at frame 1, right: 0.25 expected, 0.5 got"},
        {"not a number never matches", changed(base, false, 0, nan), changed(base, false, 0, nan),
         "first difference at frame 0, left: nan expected, nan got"},
        {"shorter", base, Stereo(3, 0.5f), "lengths differ: 4 frames expected, 3 got"},
        {"ragged", base, ragged, "lengths differ: 4 frames expected, 4 left, 3 right got"},
    };
    for (const auto& [name, expected, got, description] : cases)
        EXPECT_EQ(firstDifference(expected, got), description) << name;
}

} // namespace
