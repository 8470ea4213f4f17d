// Force-included into GoogleTest and the Win32 test programs. GoogleTest's Notification is built on
// std::mutex, which the MinGW win32 thread model lacks; this one serves the same purpose with an
// atomic flag (only GoogleTest's own thread helper uses it).
#pragma once

#include <atomic>
#include <thread>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) std::this_thread::yield();
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
