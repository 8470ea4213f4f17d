// Test helper: another process that holds or looks for a named mutex.
//   mutex_holder hold <mutex> <ready event> <quit event>   holds the mutex until told to quit
//   mutex_holder probe <mutex>    exit code 0 if the mutex does not exist, 1 if it exists and is
//                                 free, 2 if it exists but another thread owns it
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "probe") == 0) {
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, argv[2]);
    if (mutex == nullptr) return 0;
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(mutex);
    CloseHandle(mutex);
    return waited == WAIT_TIMEOUT ? 2 : 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "hold") == 0) {
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[2]);
    const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    const HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (mutex == nullptr || ready == nullptr || quit == nullptr) return 2;
    SetEvent(ready);
    // Bounded, so a test that dies early does not leave the helper behind.
    WaitForSingleObject(quit, 60000);
    CloseHandle(quit);
    CloseHandle(ready);
    CloseHandle(mutex);
    return 0;
  }
  return 3;
}
