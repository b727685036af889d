#include "VelqAuBase.h"

#include "CAVectorUnit.h"
#include "platform/RelaxedAtomic.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

VelqAuBase::VelqAuBase(audioMasterCallback audioMaster, VstInt32 numPrograms, VelqProgram* (*programFactory)())
    : AudioEffectX(audioMaster, numPrograms, kNumParams), programs(nullptr)
{
    if (numPrograms < 1 || !programFactory)
        throw std::invalid_argument("an effect needs at least one program and a way to make it");
    programs = new VelqProgram*[numPrograms]();
    try {
        for (VstInt32 i = 0; i < numPrograms; ++i) {
            VelqProgram* program = programFactory();
            if (!program)
                throw std::bad_alloc();
            programs[i] = program;
            for (int j = 0; j < kNumParams; ++j)
                program->SetParameter(j, parameterTable[j].defaultValue);
            program->SetName("Defaults");
        }
    } catch (...) {
        releasePrograms();
        throw;
    }
    AudioEffectX::setProgram(0);
}

VelqAuBase::~VelqAuBase() { releasePrograms(); }

void VelqAuBase::releasePrograms()
{
    if (!programs)
        return;
    for (VstInt32 i = 0; i < numPrograms; ++i)
        delete programs[i];
    delete[] programs;
    programs = nullptr;
}

VelqProgram& VelqAuBase::currentProgram()
{
    // The dispatcher keeps the number in range; a direct call of setProgram might not.
    const VstInt32 current = getProgram();
    return *programs[current >= 0 && current < numPrograms ? current : 0];
}

// ---- processing frame ------------------------------------------------------------------------

void VelqAuBase::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    replacing = true;
    runKernels(inputs, outputs, sampleFrames);
}

void VelqAuBase::VST_DEPRECATED(process)(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    replacing = false;
    runKernels(inputs, outputs, sampleFrames);
}

void VelqAuBase::runKernels(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    const std::size_t count = kernels.size();
    const auto frames = static_cast<unsigned>(std::max<VstInt32>(sampleFrames, 0));
    bool silence = false; // one flag for the whole call, handed from kernel to kernel
    for (std::size_t i = 0; i < count; ++i)
        kernels[i]->Process(inputs[i], outputs[i], frames, 1, silence);
}

void VelqAuBase::AddKernels()
{
    const VstInt32 channels = cEffect.numOutputs;
    for (VstInt32 i = 0; i < channels; ++i)
        kernels.push_back(NewKernel());
}

bool VelqAuBase::HasVectorUnit()
{
    std::int32_t type = loadRelaxed(CAVectorUnit::sVectorUnitType);
    if (type == CAVectorUnit::kUndetermined)
        type = CAVectorUnit::CheckVectorUnit();
    return type > 0;
}

// ---- parameters ------------------------------------------------------------------------------

void VelqAuBase::setParameter(VstInt32 index, float value)
{
    if (!isParameterIndex(index))
        return; // hosts pass 0..22; anything else is ignored
    currentProgram().SetParameter(index, valueFromLinear(parameterTable[index], value));
    changes.fetch_add(1, std::memory_order_release);
}

float VelqAuBase::getParameter(VstInt32 index)
{
    if (!isParameterIndex(index))
        return 0.0f;
    return valueToLinear(parameterTable[index], currentProgram().GetParameter(index));
}

// ---- programs --------------------------------------------------------------------------------

void VelqAuBase::setProgramName(char* name) { currentProgram().SetName(name); }

void VelqAuBase::getProgramName(char* name) { std::strcpy(name, currentProgram().GetName()); }

bool VelqAuBase::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text)
{
    if (index < 0 || index >= numPrograms)
        return false;
    std::strcpy(text, programs[index]->GetName());
    return true;
}
