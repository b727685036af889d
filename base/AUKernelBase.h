// One channel's processing for effects built from per-channel kernels.
#pragma once

class AUKernelBase {
public:
    virtual ~AUKernelBase() = default;
    // silence is shared by all kernels of one processing call.
    virtual void Process(const float* source, float* destination, unsigned frames, unsigned channels,
                         bool& silence) = 0;
};

// Data an effect hands to its editor; this product has no editor, so it carries nothing.
struct DataToGui {};
