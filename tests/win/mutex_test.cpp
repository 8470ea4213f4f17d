// The WINSOCK02 mutex routines against mutexes held and looked for by other real processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/winsock02.h"
#include "test_processes.h"

namespace karuvel {
namespace {

std::wstring HelperCommand(const std::wstring& args) {
  return Quoted(TestProgramDir() + L"mutex_holder.exe") + L" " + args;
}

// Whether another process can open the named mutex: 0 no, 1 yes and free, 2 yes but owned.
int ProbeFromAnotherProcess(const char* name) {
  return RunToEnd(HelperCommand(L"probe " + std::wstring(name, name + std::strlen(name))), 30000);
}

bool MutexExistsHere(const char* name) {
  const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}

// Another process holding a named mutex from construction until End().
class Holder {
 public:
  explicit Holder(const char* name) {
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial_);
    const std::wstring readyName = L"KaruvelTestReady_" + tag;
    const std::wstring quitName = L"KaruvelTestQuit_" + tag;
    ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    quit_ = CreateEventW(nullptr, TRUE, FALSE, quitName.c_str());
    process_ = Launch(
        HelperCommand(L"hold " + std::wstring(name, name + std::strlen(name)) + L" " + readyName + L" " + quitName));
    const HANDLE waitFor[] = {ready_, process_};
    holding_ = process_ != nullptr && WaitForMultipleObjects(2, waitFor, FALSE, 30000) == WAIT_OBJECT_0;
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  ~Holder() {
    End();
    CloseHandle(quit_);
    CloseHandle(ready_);
  }
  bool holding() const { return holding_; }
  // Tells the helper to quit and waits until its process is gone.
  void End() {
    if (process_ == nullptr) return;
    SetEvent(quit_);
    if (WaitForSingleObject(process_, 30000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  static inline int serial_ = 0;
  HANDLE ready_ = nullptr;
  HANDLE quit_ = nullptr;
  HANDLE process_ = nullptr;
  bool holding_ = false;
};

TEST(HostProbe, SeesZMemoOnlyWhileItsProcessHoldsTheMutex) {
  EXPECT_EQ(IsZMemoRunning(), 0);
  Holder zmemo("TMemoManWndMutex");
  ASSERT_TRUE(zmemo.holding());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(IsZMemoRunning(), 1);
  zmemo.End();
  // Had a probe kept its handle, the mutex would outlive the helper.
  EXPECT_FALSE(MutexExistsHere("TMemoManWndMutex"));
  EXPECT_EQ(IsZMemoRunning(), 0);
}

TEST(HostProbe, MutexNamesAreCaseSensitive) {
  Holder other("tmemomanwndmutex");
  ASSERT_TRUE(other.holding());
  EXPECT_EQ(IsZMemoRunning(), 0);
}

TEST(OwnMutex, HeldElsewhereMeansNoHandleHere) {
  ASSERT_EQ(lnghMutex.Get(), nullptr);
  Holder other("TKaruvelWndMutex");
  ASSERT_TRUE(other.holding());
  CreateOwnMutex();
  EXPECT_EQ(lnghMutex.Get(), nullptr);
  ReleaseOwnMutex();
  EXPECT_EQ(lnghMutex.Get(), nullptr);
  EXPECT_TRUE(MutexExistsHere("TKaruvelWndMutex"));  // releasing did not touch the other's mutex
  other.End();
  EXPECT_FALSE(MutexExistsHere("TKaruvelWndMutex"));
}

TEST(OwnMutex, OthersSeeItUntilReleased) {
  ASSERT_EQ(lnghMutex.Get(), nullptr);
  ASSERT_EQ(ProbeFromAnotherProcess("TKaruvelWndMutex"), 0);
  CreateOwnMutex();
  ASSERT_NE(lnghMutex.Get(), nullptr);
  EXPECT_EQ(ProbeFromAnotherProcess("TKaruvelWndMutex"), 1);
  ReleaseOwnMutex();
  EXPECT_EQ(lnghMutex.Get(), nullptr);
  EXPECT_EQ(ProbeFromAnotherProcess("TKaruvelWndMutex"), 0);
  ReleaseOwnMutex();  // a second release does nothing
  EXPECT_EQ(ProbeFromAnotherProcess("TKaruvelWndMutex"), 0);
}

}  // namespace
}  // namespace karuvel
