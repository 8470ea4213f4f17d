#include "shell/running_marks.h"

namespace karuvel {

UniqueHandle lnghMutex;

namespace {

constexpr char kOwnMutexName[] = "TKaruvelWndMutex";
constexpr char kHostMutexName[] = "TMemoManWndMutex";

enum class Probe { kAbsent, kOpened, kRefused };

// Opens a handle to the named mutex if it can, and closes it again at once. kRefused: the mutex
// exists but its DACL refuses MUTEX_ALL_ACCESS, as when its owner runs elevated.
Probe ProbeMutex(const char* name) {
  const UniqueHandle handle(OpenMutexA(MUTEX_ALL_ACCESS, TRUE, name));
  if (!handle) return GetLastError() == ERROR_ACCESS_DENIED ? Probe::kRefused : Probe::kAbsent;
  ReleaseMutex(handle.Get());  // never owned: has no effect, result ignored
  return Probe::kOpened;
}

}  // namespace

void CreateOwnMutex() {
  // Only an opened mutex counts here. One that refuses us is left to CreateMutexA, which then
  // fails the same way, so Karuvel holds no handle either way.
  if (ProbeMutex(kOwnMutexName) == Probe::kOpened) return;  // another process holds it: keep no handle
  lnghMutex.Reset(CreateMutexA(nullptr, FALSE, kOwnMutexName));
}

void ReleaseOwnMutex() {
  if (!lnghMutex) return;
  ReleaseMutex(lnghMutex.Get());
  lnghMutex.Reset();  // emptied, so a second call cannot close a handle value the system reused
}

// A mutex that refuses us still shows that ZMemo runs: elevated, it answers all the same.
int16_t IsZMemoRunning() { return ProbeMutex(kHostMutexName) == Probe::kAbsent ? 0 : 1; }

}  // namespace karuvel
