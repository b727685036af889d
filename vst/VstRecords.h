// Records the host passes by pointer. The framework only hands them on, so most stay opaque;
// the ones it builds or fills itself are laid out here.
#pragma once

#include "AEffect.h"

struct ERect;
struct VstEvents;
struct VstPinProperties;
struct VstParameterProperties;
struct VstPatchChunkInfo;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct VstVariableIo;
struct VstOfflineTask;
struct VstAudioFile;
struct VstTimeInfo;
struct VstFileSelect;
struct VST_DEPRECATED(VstWindow);

enum VstOfflineOption : VstInt32 {
    kVstOfflineAudio = 0,
    kVstOfflinePeakFile,
    kVstOfflineParameter,
    kVstOfflineMarker,
    kVstOfflineCursor,
    kVstOfflineSelection,
    kVstOfflineQueryFiles,
};

// Built by the dispatcher for the editor key opcodes.
struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    VstInt32 type;
    char future[28];
};

// Allocated with room for numChannels speakers; the declared eight are only the usual size.
struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(offsetof(VstSpeakerProperties, future) == 84);
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);
