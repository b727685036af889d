// The signal rendered when no input file is given: a few plucked notes, made here so that the
// first command anyone runs produces something worth listening to.
#pragma once

#include <vector>

namespace qtool {

constexpr double kDemoSampleRate = 44100.0;

// Mono, about three seconds, peaks below -6 dBFS, the same on every run.
std::vector<float> demoSignal(double sampleRate = kDemoSampleRate);

} // namespace qtool
