// A program: one complete set of the real parameter values and a name. Values are written on
// control threads and read on the audio thread, each one a single aligned 32-bit float.
#pragma once

#include "ParameterTable.h"

class VelqProgram {
public:
    virtual ~VelqProgram() = default;
    virtual void SetParameter(int index, float value) = 0;
    virtual float GetParameter(int index) const = 0;
    virtual void SetName(const char* name) = 0;
    virtual const char* GetName() const = 0;
    // Chunk hooks, for programs stored as opaque blocks: only other effects' programs would use
    // them; VelqProgramBasic keeps the defaults and nothing in this effect calls them.
    virtual const void* GetChunk() const { return nullptr; }
    virtual SInt32 GetChunkSize() const { return 0; }
    virtual void SetChunk(void* /*data*/, SInt32 /*size*/) {}
    // All values at once, as the audio thread reads them at the start of each block.
    virtual void GetParameters(float (&values)[kNumParams]) const
    {
        for (int i = 0; i < kNumParams; ++i)
            values[i] = GetParameter(i);
    }
};

class VelqProgramBasic : public VelqProgram {
public:
    static constexpr int kNameSize = 32;

    // Values and name are undefined until written; the effect base writes both at creation.
    VelqProgramBasic() = default;

    // Indexes outside the table are ignored on write and read as 0.
    void SetParameter(int index, float value) override;
    float GetParameter(int index) const override;
    void GetParameters(float (&values)[kNumParams]) const override;
    // Keeps at most 31 characters and always terminates.
    void SetName(const char* name) override;
    const char* GetName() const override { return programName; }

    static VelqProgram* Factory();

private:
    float params[kNumParams];
    char programName[kNameSize];
};
