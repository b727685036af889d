// Values shared between the host's control threads and its audio thread are single aligned
// 32-bit values; relaxed atomic access compiles to plain loads and stores and keeps them race-free.
#pragma once

#include <atomic>

template <typename T> inline T loadRelaxed(const T& value) noexcept
{
    static_assert(sizeof(T) == 4 && std::atomic_ref<T>::is_always_lock_free);
    // A load never writes; atomic_ref only wants a mutable reference.
    return std::atomic_ref<T>(const_cast<T&>(value)).load(std::memory_order_relaxed);
}

template <typename T> inline void storeRelaxed(T& value, T newValue) noexcept
{
    static_assert(sizeof(T) == 4 && std::atomic_ref<T>::is_always_lock_free);
    std::atomic_ref<T>(value).store(newValue, std::memory_order_relaxed);
}
