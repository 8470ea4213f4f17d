// Force-included into GoogleTest and the Win32 test programs. GoogleTest's Notification is built on
// std::mutex, which the MinGW win32 thread model lacks; this one serves the same purpose with an
// atomic flag (only GoogleTest's own thread helper uses it).
#pragma once

#include <atomic>
#include <thread>

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_ = true; }
  void WaitForNotification() {
    while (!notified_) std::this_thread::yield();
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
