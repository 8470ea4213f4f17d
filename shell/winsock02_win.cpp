#include "shell/winsock02.h"

namespace karuvel {

HANDLE lnghMutex = nullptr;

namespace {

constexpr char kOwnMutexName[] = "TKaruvelWndMutex";
constexpr char kHostMutexName[] = "TMemoManWndMutex";

// Opens a handle to the named mutex if it exists, and closes it again at once.
bool MutexExists(const char* name) {
  const HANDLE handle = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, name);
  if (handle == nullptr) return false;
  ReleaseMutex(handle);  // never owned: has no effect, result ignored
  CloseHandle(handle);
  return true;
}

}  // namespace

void CreateOwnMutex() {
  if (MutexExists(kOwnMutexName)) return;  // another process holds it: keep no handle
  lnghMutex = CreateMutexA(nullptr, FALSE, kOwnMutexName);
}

void ReleaseOwnMutex() {
  if (lnghMutex == nullptr) return;
  ReleaseMutex(lnghMutex);
  CloseHandle(lnghMutex);
  lnghMutex = nullptr;  // a second call must not close a handle value the system reused
}

int16_t IsZMemoRunning() { return MutexExists(kHostMutexName) ? 1 : 0; }

}  // namespace karuvel
