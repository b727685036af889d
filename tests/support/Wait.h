// Waiting for something another thread or process does, with a deadline, so that a fault shows
// up as a failed expectation instead of a hang.
#pragma once

#include <chrono>
#include <thread>

template <typename Done> bool waitUntil(Done done, std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
