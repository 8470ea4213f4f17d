#include "shell/winsock02.h"

namespace karuvel {

UniqueHandle lnghMutex;

namespace {

constexpr char kOwnMutexName[] = "TKaruvelWndMutex";
constexpr char kHostMutexName[] = "TMemoManWndMutex";

// Opens a handle to the named mutex if it exists, and closes it again at once.
bool MutexExists(const char* name) {
  const UniqueHandle handle(OpenMutexA(MUTEX_ALL_ACCESS, TRUE, name));
  if (!handle) return false;
  ReleaseMutex(handle.Get());  // never owned: has no effect, result ignored
  return true;
}

}  // namespace

void CreateOwnMutex() {
  if (MutexExists(kOwnMutexName)) return;  // another process holds it: keep no handle
  lnghMutex.Reset(CreateMutexA(nullptr, FALSE, kOwnMutexName));
}

void ReleaseOwnMutex() {
  if (!lnghMutex) return;
  ReleaseMutex(lnghMutex.Get());
  lnghMutex.Reset();  // emptied, so a second call cannot close a handle value the system reused
}

int16_t IsZMemoRunning() { return MutexExists(kHostMutexName) ? 1 : 0; }

}  // namespace karuvel
