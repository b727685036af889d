// The one source of test noise: uniform in [-peak, peak], the same sequence for a seed on every
// target, so a failure reproduces from the seed alone.
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace quadecho::testhost {

class Noise {
public:
    explicit Noise(unsigned seed, float peak = 1.0f) : random(seed), sample(-peak, peak) {}

    float next() { return sample(random); }
    std::vector<float> samples(std::size_t count)
    {
        std::vector<float> v(count);
        std::generate(v.begin(), v.end(), [this] { return next(); });
        return v;
    }

private:
    std::mt19937 random;
    std::uniform_real_distribution<float> sample;
};

} // namespace quadecho::testhost
