// Ardour's inline-display extension for LV2 (ISC-licensed; no header ships in Debian), declared
// here from its published facts: a host with room in its mixer strip asks the plug-in for a small
// picture, and the plug-in may ask it to draw again.
#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>

namespace quadecho::lv2 {

#define QUADECHO_INLINE_DISPLAY "http://harrisonconsoles.com/lv2/inlinedisplay"
constexpr char kInlineDisplayInterface[] = QUADECHO_INLINE_DISPLAY "#interface";
constexpr char kInlineDisplayQueueDraw[] = QUADECHO_INLINE_DISPLAY "#queue_draw";
constexpr char kInlineDisplayPrefix[] = QUADECHO_INLINE_DISPLAY "#";
#undef QUADECHO_INLINE_DISPLAY

extern "C" {

// The picture: Cairo's ARGB32 (native-endian words, premultiplied alpha), stride bytes per row.
struct InlineDisplayImageSurface {
    unsigned char* data;
    int width;
    int height;
    int stride;
};

// The extension data: called by the host off the audio thread, never at the same time as cleanup.
// w × h is the most room the host has; the answer is the plug-in's until the next call or cleanup.
struct InlineDisplayInterface {
    InlineDisplayImageSurface* (*render)(LV2_Handle instance, std::uint32_t w, std::uint32_t h);
};

// The host's optional feature: queue_draw(handle) asks it to call render again soon.
struct InlineDisplayQueueDraw {
    void* handle;
    void (*queue_draw)(void* handle);
};

} // extern "C"

} // namespace quadecho::lv2
