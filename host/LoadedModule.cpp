#include "LoadedModule.h"

#include "ModuleText.h"
#include "System.h"
#include "vst/AEffect.h"

#include <algorithm>
#include <cstring>

namespace qtool {

namespace {

// Bounds past which a record's counts are taken as garbage rather than believed.
constexpr int kMaxChannels = 64;
constexpr int kMaxCount = 100000;
// Modules write names without being told a size; this is far beyond what any of them writes.
constexpr std::size_t kTextBuffer = 1024;
// The most a host may hand an effect as a program's name: 23 characters and the zero.
constexpr std::size_t kProgramNameBytes = 24;

constexpr VstInt32 kHostVersion = 2400;
constexpr VstInt32 kProcessLevelOffline = 4;

// The one instance this process hosts: the callback has no other way to find it while the
// entry point runs, before any record exists.
LoadedModule* activeHost = nullptr;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterGetSampleRate:
        return activeHost ? static_cast<VstIntPtr>(activeHost->hostSampleRate) : 0;
    case audioMasterGetBlockSize:
        return activeHost ? activeHost->hostBlockSize : 0;
    case audioMasterGetCurrentProcessLevel:
        return kProcessLevelOffline;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "quadecho");
        return ptr != nullptr;
    default:
        return 0; // no time info, no automation, no windows: a plain offline renderer
    }
}

} // namespace

LoadedModule::LoadedModule(const std::string& path) : modulePath(path)
{
    std::string why;
    void* handle = sys::isFile(path, why) ? sys::loadModule(path, why) : nullptr;
    if (!handle)
        throw ToolError("cannot load module '" + path + "': " + why);
    // Hosts look for the current entry name first and the older one second.
    void* entry = sys::ownSymbol(handle, "VSTPluginMain");
    if (!entry)
        entry = sys::ownSymbol(handle, "main");
    if (!entry)
        throw ToolError("module '" + path + "' has no entry point (neither VSTPluginMain nor main)");

    // The module stays loaded until the process ends: some leave threads or exit handlers behind.
    activeHost = this;
    using Entry = AEffect* (*)(audioMasterCallback);
    e = reinterpret_cast<Entry>(entry)(hostCallback);
    if (!e)
        throw ToolError("module '" + path + "': its entry point returned no effect");
    if (e->magic != kEffectMagic) {
        e = nullptr; // not a record: nothing of it may be called, not even to close it
        throw ToolError("module '" + path + "': its entry point returned something that is not an effect record");
    }
    if (!e->dispatcher) {
        e = nullptr;
        throw ToolError("module '" + path + "': its effect record has no dispatcher");
    }
    auto inRange = [](int n, int most) { return n >= 0 && n <= most; };
    if (!inRange(e->numInputs, kMaxChannels) || !inRange(e->numOutputs, kMaxChannels) ||
        !inRange(e->numParams, kMaxCount) || !inRange(e->numPrograms, kMaxCount)) {
        const std::string counts = std::to_string(e->numInputs) + " inputs, " + std::to_string(e->numOutputs) +
                                   " outputs, " + std::to_string(e->numParams) + " parameters, " +
                                   std::to_string(e->numPrograms) + " programs";
        dispatch(effClose);
        e = nullptr;
        throw ToolError("module '" + path + "': its effect claims " + counts + ", which cannot be right");
    }
    inputs = e->numInputs;
    outputs = e->numOutputs;
    dispatch(effOpen);
}

LoadedModule::~LoadedModule()
{
    if (!e)
        return;
    if (running)
        stop();
    dispatch(effClose); // frees the record
    if (activeHost == this)
        activeHost = nullptr;
}

VstIntPtr LoadedModule::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string LoadedModule::text(VstInt32 opcode, VstInt32 index, VstIntPtr value)
{
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return cleaned(buffer);
}

std::int32_t LoadedModule::uniqueId() const { return e->uniqueID; }
std::int32_t LoadedModule::flags() const { return e->flags; }
std::int32_t LoadedModule::initialDelay() const { return e->initialDelay; }
std::int32_t LoadedModule::version() const { return e->version; }
int LoadedModule::numParams() const { return e->numParams; }
int LoadedModule::numPrograms() const { return e->numPrograms; }

std::string LoadedModule::effectName() { return text(effGetEffectName); }
std::string LoadedModule::productString() { return text(effGetProductString); }
std::string LoadedModule::vendorString() { return text(effGetVendorString); }
VstIntPtr LoadedModule::vendorVersion() { return dispatch(effGetVendorVersion); }
VstIntPtr LoadedModule::category() { return dispatch(effGetPlugCategory); }
VstIntPtr LoadedModule::interfaceVersion() { return dispatch(effGetVstVersion); }
VstIntPtr LoadedModule::tailSize() { return dispatch(effGetTailSize); }

void LoadedModule::checkParameter(int index) const
{
    if (index < 0 || index >= e->numParams)
        throw ToolError("parameter index " + std::to_string(index) + " is outside 0.." +
                        std::to_string(e->numParams - 1));
}

std::string LoadedModule::parameterName(int index)
{
    checkParameter(index);
    return text(effGetParamName, index);
}

std::string LoadedModule::parameterLabel(int index)
{
    checkParameter(index);
    return text(effGetParamLabel, index);
}

std::string LoadedModule::parameterDisplay(int index)
{
    checkParameter(index);
    return text(effGetParamDisplay, index);
}

float LoadedModule::parameter(int index)
{
    checkParameter(index);
    if (!e->getParameter)
        throw ToolError("module '" + modulePath + "': its effect record has no getParameter callback");
    return e->getParameter(e, index);
}

void LoadedModule::setParameter(int index, float normalised)
{
    checkParameter(index);
    if (!e->setParameter)
        throw ToolError("module '" + modulePath + "': its effect record has no setParameter callback");
    e->setParameter(e, index, normalised);
}

int LoadedModule::program() { return static_cast<int>(dispatch(effGetProgram)); }

void LoadedModule::setProgram(int index)
{
    if (e->numPrograms == 0)
        throw ToolError("module '" + modulePath + "' has no programs to select");
    if (index < 0 || index >= e->numPrograms)
        throw ToolError("program " + std::to_string(index) + " is outside 0.." + std::to_string(e->numPrograms - 1));
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, index);
    dispatch(effEndSetProgram);
}

void LoadedModule::setProgramName(const std::string& name)
{
    char buffer[kProgramNameBytes] = {};
    name.copy(buffer, sizeof buffer - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}

std::string LoadedModule::programName(int index)
{
    char buffer[kTextBuffer] = {};
    if (dispatch(effGetProgramNameIndexed, index, -1, buffer) != 0) {
        buffer[kTextBuffer - 1] = '\0';
        return cleaned(buffer);
    }
    const int current = program();
    if (index == current)
        return text(effGetProgramName);
    setProgram(index);
    std::string name = text(effGetProgramName);
    setProgram(current);
    return name;
}

void LoadedModule::start(double sampleRate, int blockSize)
{
    if (!((e->flags & effFlagsCanReplacing) && e->processReplacing) && !e->process)
        throw ToolError("module '" + modulePath + "': its effect record has no audio callback");
    hostSampleRate = sampleRate;
    hostBlockSize = blockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
    // Its buffers are sized by the counts it announced: it may not read more than those.
    if (e->numInputs != inputs || e->numOutputs != outputs)
        throw ToolError("module '" + modulePath + "': its effect changed its inputs or outputs when switched on");
    inputPointers.assign(static_cast<std::size_t>(inputs), nullptr);
    outputPointers.assign(static_cast<std::size_t>(outputs), nullptr);
}

void LoadedModule::process(float* const* inputs, float* const* outputs, int frames)
{
    std::copy_n(inputs, inputPointers.size(), inputPointers.begin());
    std::copy_n(outputs, outputPointers.size(), outputPointers.begin());
    if ((e->flags & effFlagsCanReplacing) && e->processReplacing) {
        e->processReplacing(e, inputPointers.data(), outputPointers.data(), frames);
        return;
    }
    // The accumulating callback adds to what the outputs hold.
    for (float* out : outputPointers)
        std::fill_n(out, frames, 0.0f);
    e->process(e, inputPointers.data(), outputPointers.data(), frames);
}

void LoadedModule::stop()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

std::string flagNames(VstInt32 flags)
{
    static const struct {
        VstInt32 bit;
        const char* name;
    } kNames[] = {
        {effFlagsHasEditor, "HasEditor"},
        {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},
        {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},
        {effFlagsExtHasBuffer, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string s;
    auto add = [&s](const char* name) {
        if (!s.empty())
            s += ' ';
        s += name;
    };
    VstInt32 known = 0;
    for (const auto& n : kNames) {
        known |= n.bit;
        if (flags & n.bit)
            add(n.name);
    }
    if (flags & ~known) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(flags & ~known));
        add(hex);
    }
    return s.empty() ? "none" : s;
}

std::string categoryName(VstIntPtr category)
{
    static const char* const kNames[] = {"Unknown",     "Effect",         "Synth",  "Analysis",
                                         "Mastering",   "Spacializer",    "RoomFx", "SurroundFx",
                                         "Restoration", "OfflineProcess", "Shell",  "Generator"};
    if (category >= 0 && category < static_cast<VstIntPtr>(std::size(kNames)))
        return kNames[category];
    return "Unknown (" + std::to_string(category) + ")";
}

} // namespace qtool
