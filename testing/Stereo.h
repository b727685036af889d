// Two channels of audio as the test host renders them, and what tells two renders apart.
#pragma once

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
    if (expected.left.size() != got.left.size() || expected.right.size() != got.right.size() ||
        expected.left.size() != expected.right.size())
        return "lengths differ: " + std::to_string(expected.size()) + " frames expected, " +
               std::to_string(got.size()) + " got";
    for (std::size_t frame = 0; frame < expected.left.size(); ++frame)
        for (const auto& [channel, a, b] : {std::tuple("left", expected.left[frame], got.left[frame]),
                                            std::tuple("right", expected.right[frame], got.right[frame])})
            if (!(a == b)) {
                char values[96];
                std::snprintf(values, sizeof values, "%.9g expected, %.9g got", double(a), double(b));
                return "first difference at frame " + std::to_string(frame) + ", " + channel + ": " + values;
            }
    return "";
}

} // namespace quadecho::testhost
