// The processor-feature query: three selectors, answered from the processor itself.
#pragma once

#include <cstdint>

using OSErr = std::int16_t;
using OSType = std::uint32_t;
using SInt32 = std::int32_t;

constexpr OSErr noErr = 0;
constexpr OSErr gestaltUndefSelectorErr = -5551;

constexpr OSType gestaltX86ProcessorFeatures = 0x78383666;     // 'x86f'
constexpr OSType gestaltX86AdditionalFeatures = 0x78383661;    // 'x86a'
constexpr OSType gestaltPowerPCProcessorFeatures = 0x70706366; // 'ppcf'

constexpr int gestaltX86HasSSE2 = 26;                  // bit of the 'x86f' response
constexpr int gestaltX86HasSSE3 = 0;                   // bit of the 'x86a' response
constexpr int gestaltPowerPCHasVectorInstructions = 4; // bit of the 'ppcf' response

// Fills *response for a known selector and returns noErr; gestaltUndefSelectorErr otherwise.
OSErr Gestalt(OSType selector, SInt32* response);
