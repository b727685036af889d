// Marks a call the host makes on its audio thread. In the real-time sanitizer build
// (QUADECHO_RTSAN) an allocation, a lock or a sleep inside one ends the program with the
// sanitizer's report; in every other build the scope does nothing.
#pragma once

#include <utility>

#if QUADECHO_RTSAN
extern "C" void __rtsan_realtime_enter();
extern "C" void __rtsan_realtime_exit();
#endif

namespace quadecho::testhost {

class RealtimeScope {
public:
    RealtimeScope() noexcept
    {
#if QUADECHO_RTSAN
        __rtsan_realtime_enter();
#endif
    }
    ~RealtimeScope()
    {
#if QUADECHO_RTSAN
        __rtsan_realtime_exit();
#endif
    }
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;
};

// Runs call as the audio thread would.
template <typename Call> decltype(auto) onAudioThread(Call&& call)
{
    RealtimeScope scope;
    return std::forward<Call>(call)();
}

} // namespace quadecho::testhost
