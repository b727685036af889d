// Two channels of audio as the test host renders them, and what tells two renders apart.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace quadecho::testhost {

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0, float fill = 0.0f) : left(frames, fill), right(frames, fill) {}
    std::size_t size() const { return left.size(); }
};

// Empty when both renders hold the same samples (compared as floats, so not-a-number never
// matches); otherwise where they first part: the lengths, or the first frame at which a channel
// differs, with both values. For EXPECT_EQ(firstDifference(expected, got), "").
inline std::string firstDifference(const Stereo& expected, const Stereo& got)
{
    const auto length = [](const Stereo& s) {
        return s.left.size() == s.right.size()
                   ? std::to_string(s.size())
                   : std::to_string(s.left.size()) + " left, " + std::to_string(s.right.size()) + " right";
    };
    if (expected.left.size() != got.left.size() || expected.right.size() != got.right.size())
        return "lengths differ: " + length(expected) + " frames expected, " + length(got) + " got";
    const std::size_t frames = std::max(expected.left.size(), expected.right.size());
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (const auto& [channel, a, b] :
             {std::tuple("left", &expected.left, &got.left), std::tuple("right", &expected.right, &got.right)})
            if (frame < a->size() && !((*a)[frame] == (*b)[frame])) {
                char values[96];
                std::snprintf(values, sizeof values, "%.9g expected, %.9g got", static_cast<double>((*a)[frame]),
                              static_cast<double>((*b)[frame]));
                return std::string("first difference at frame ") + std::to_string(frame) + ", " + channel + ": " +
                       values;
            }
    return "";
}

} // namespace quadecho::testhost
