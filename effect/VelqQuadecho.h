// The four-tap delay: identity, the delay line and the state of the signal path.
#pragma once

#include "core/Identity.h"
#include "core/Instance.h"
#include "base/TAUBuffer.h"
#include "base/VelqAuBase.h"

class VelqQuadecho : public VelqAuBase {
public:
    // Throws std::bad_alloc when the delay line cannot be allocated.
    explicit VelqQuadecho(audioMasterCallback audioMaster);
    ~VelqQuadecho() override;

    // Sizes the line again for a changed sample rate. May allocate: runs on the control thread
    // that sends resume, never during processing.
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void VST_DEPRECATED(process)(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 getPlugCategory() override;

    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;
    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, unsigned char& outWritable) override;

    // Sizes and clears the line for the current sample rate; throws std::bad_alloc on failure.
    virtual OSStatus Initialize();
    virtual VstInt32 Version() { return kVersion; }

    // One block of the signal path. Runs on the audio thread.
    OSStatus ProcessCore(const float* inL, const float* inR, float* outL, float* outR, int inStride, int outStride,
                         std::uint32_t frames, bool accumulate);

    // The build of the frame loop this instance runs: the processor's best unless a test or a
    // benchmark picks another. Not during processing.
    void selectLoopBuild(quadecho::LoopBuild loop) noexcept;
    quadecho::LoopBuild loopBuild() const noexcept;

    static constexpr VstInt32 kVersion = quadecho::kVendorVersion;

protected:
    TAUBuffer<float> stDelayLine;
    std::int32_t iDelayLength = 0;
    std::int32_t iWriteIndex = 0;
    float afFilterState[3] = {}; // low-pass, high-pass, band-pass

private:
    // Makes a cleared line of kLineSeconds at sampleRate; false (nothing changed) when that is
    // impossible.
    bool sizeLine(float sampleRate);
    // The members above as the core's instance functions see them.
    quadecho::LineState lineState() noexcept;
    void processBlock(float** inputs, float** outputs, VstInt32 sampleFrames, bool accumulate);

    float lineSampleRate = 0.0f;                                    // the rate the line was sized for
    quadecho::SignalPath signalPath{quadecho::HostValues::AsGiven}; // the 2.4 interface enforces no range
    // The values as the audio thread last read them, and what they were read after.
    float blockValues[kNumParams] = {};
    bool valuesRead = false;
    std::uint32_t changesRead = 0;
    VstInt32 programRead = 0;
};
