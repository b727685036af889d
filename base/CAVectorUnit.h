// Which vector unit the processor has, determined once per process.
#pragma once

#include "platform/Gestalt.h"

#include <cstdint>

class CAVectorUnit {
public:
    static constexpr std::int32_t kUndetermined = -1;
    static constexpr std::int32_t kNone = 0;
    static constexpr std::int32_t kAltiVec = 1;
    static constexpr std::int32_t kSSE2 = 100;
    static constexpr std::int32_t kSSE3 = 101;

    // Queries the processor on every call and caches the answer.
    static std::int32_t CheckVectorUnit();

    static std::int32_t sVectorUnitType; // access with relaxed atomics: any thread may determine it
    static OSErr (*sGestalt)(OSType selector, SInt32* response); // the feature query; tests replace it
};
