#pragma once

// GoogleTest's Windows build takes one helper class, Notification, from
// std::mutex and std::condition_variable, which the runtime's Win32 thread
// model does not have. Only GoogleTest's own thread tests wait on it, so a
// flag the waiter spins on does the same job here.

#define GTEST_HAS_NOTIFICATION_ 1

#include <atomic>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { Notified = true; }
    void WaitForNotification() const
    {
        while (!Notified) {
        }
    }

private:
    std::atomic<bool> Notified{false};
};

}  // namespace internal
}  // namespace testing
