#include "VelqProgram.h"

#include "platform/RelaxedAtomic.h"

#include <cstring>

void VelqProgramBasic::SetParameter(int index, float value)
{
    if (isParameterIndex(index))
        storeRelaxed(params[index], value);
}

float VelqProgramBasic::GetParameter(int index) const
{
    if (!isParameterIndex(index))
        return 0.0f;
    return loadRelaxed(params[index]);
}

void VelqProgramBasic::GetParameters(float (&values)[kNumParams]) const
{
    for (int i = 0; i < kNumParams; ++i)
        values[i] = loadRelaxed(params[i]);
}

void VelqProgramBasic::SetName(const char* name)
{
    if (!name)
        name = "";
    std::strncpy(programName, name, kNameSize);
    programName[kNameSize - 1] = 0;
}

VelqProgram* VelqProgramBasic::Factory() { return new VelqProgramBasic; }
