#include "VelqQuadecho.h"

#include "core/ValueText.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new VelqQuadecho(audioMaster); }

VelqQuadecho::VelqQuadecho(audioMasterCallback audioMaster)
    : VelqAuBase(audioMaster, quadecho::kNumPrograms, VelqProgramBasic::Factory)
{
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(quadecho::kUniqueId);
#if VST_DEPRECATED_SUPPORT
    canMono(true);
#endif
    canProcessReplacing(true);
    Initialize();
}

VelqQuadecho::~VelqQuadecho() = default;

OSStatus VelqQuadecho::Initialize()
{
    if (!sizeLine(getSampleRate()))
        throw std::bad_alloc();
    afFilterState[0] = afFilterState[1] = afFilterState[2] = 0.0f;
    return 0;
}

bool VelqQuadecho::sizeLine(float sampleRate)
{
    const std::int32_t length = quadecho::lineSamplesFor(sampleRate);
    TAUBuffer<float> line;
    if (length == 0 || !line.AllocateClear(static_cast<std::uint32_t>(length)))
        return false;
    stDelayLine.swap(line);
    quadecho::useLine(lineState(), sampleRate);
    return true;
}

quadecho::LineState VelqQuadecho::lineState() noexcept
{
    return {stDelayLine.data(), iDelayLength, iWriteIndex, lineSampleRate, afFilterState};
}

void VelqQuadecho::resume()
{
    AudioEffectX::resume();
    // At an unchanged rate echoes carry across suspend and resume; a rate that cannot size a
    // line keeps the old one, and the clamped tap delays keep every read inside it.
    const float rate = getSampleRate();
    if (rate != lineSampleRate)
        sizeLine(rate);
}

// ---- audio -----------------------------------------------------------------------------------

void VelqQuadecho::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames, false);
}

void VelqQuadecho::VST_DEPRECATED(process)(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames, true);
}

void VelqQuadecho::processBlock(float** inputs, float** outputs, VstInt32 sampleFrames, bool accumulate)
{
    if (!inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1])
        return;
    const auto frames = static_cast<std::uint32_t>(std::max<VstInt32>(sampleFrames, 0));
    ProcessCore(inputs[0], inputs[1], outputs[0], outputs[1], 1, 1, frames, accumulate);
}

OSStatus VelqQuadecho::ProcessCore(const float* inL, const float* inR, float* outL, float* outR, int inStride,
                                   int outStride, std::uint32_t frames, bool accumulate)
{
    // Read at the start of a block after a value was set or another program chosen: a change
    // from another thread takes effect at the next block.
    const std::uint32_t changes = valueChanges();
    const VstInt32 program = getProgram();
    const bool unchanged = valuesRead && changes == changesRead && program == programRead;
    if (!unchanged) {
        currentProgram().GetParameters(blockValues);
        valuesRead = true, changesRead = changes, programRead = program;
    }
    quadecho::runBlock(signalPath, lineState(), blockValues, getSampleRate(),
                       {{inL, inR, outL, outR, inStride, outStride}, frames, accumulate},
                       unchanged ? quadecho::KnownValues::SameAsLastBlock : quadecho::KnownValues::MayHaveChanged);
    return 0;
}

void VelqQuadecho::selectLoopBuild(quadecho::LoopBuild wanted) noexcept { signalPath.selectLoopBuild(wanted); }

quadecho::LoopBuild VelqQuadecho::loopBuild() const noexcept { return signalPath.loopBuild(); }

// ---- identity --------------------------------------------------------------------------------

bool VelqQuadecho::getEffectName(char* name)
{
    std::strcpy(name, quadecho::kEffectName);
    return true;
}

bool VelqQuadecho::getVendorString(char* text)
{
    return VelqAuBase::getVendorString(text); // the same text as the base's
}

bool VelqQuadecho::getProductString(char* text)
{
    std::strcpy(text, quadecho::kProductString);
    return true;
}

VstInt32 VelqQuadecho::getVendorVersion() { return kVersion; }

VstInt32 VelqQuadecho::getPlugCategory() { return kPlugCategEffect; }

// ---- properties ------------------------------------------------------------------------------

OSStatus VelqQuadecho::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32& outDataSize, unsigned char& outWritable)
{
    switch (id) {
    case kAudioUnitProperty_InPlaceProcessing:
        outDataSize = sizeof(UInt32);
        outWritable = 0;
        return 0;
    case kAudioUnitProperty_ParameterStringFromValue:
        outDataSize = sizeof(AudioUnitParameterStringFromValue);
        outWritable = 0;
        return 0;
    default:
        return VelqAuBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    }
}

// The names of the filter type at its whole values; between them the number is shown.
OSStatus VelqQuadecho::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   void* outData)
{
    if (id != kAudioUnitProperty_ParameterStringFromValue)
        return VelqAuBase::GetProperty(id, scope, element, outData);
    auto request = static_cast<AudioUnitParameterStringFromValue*>(outData);
    constexpr AudioUnitParameterID kFilterType = quadecho::kFilterType;
    if (!request || request->inParamID != kFilterType)
        return kAudioUnitErr_InvalidParameter;
    request->outString = nullptr;
    const float value = request->inValue ? *request->inValue : currentProgram().GetParameter(kFilterType);
    using quadecho::kFilterTypeNames;
    static constinit const CFStringImpl names[] = {
        CFConstantString(kFilterTypeNames[0]), CFConstantString(kFilterTypeNames[1]),
        CFConstantString(kFilterTypeNames[2]), CFConstantString(kFilterTypeNames[3]),
        CFConstantString(kFilterTypeNames[4])};
    static_assert(std::size(names) == std::size(kFilterTypeNames));
    if (const int type = quadecho::filterTypeAt(value); type >= 0)
        request->outString = static_cast<CFStringRef>(CFRetain(&names[type]));
    return 0;
}
