// Smoke test of the Wine harness: this process must see code page 932, and karuvel.exe (given as
// the first argument) must start and either exit cleanly or come up and wait for input.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

BOOL CALLBACK FindVisibleWindowOf(HWND hwnd, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  auto* wanted = reinterpret_cast<DWORD*>(param);
  if (pid != *wanted || !IsWindowVisible(hwnd)) return TRUE;
  *wanted = 0;
  return FALSE;
}

bool ShowsWindow(DWORD pid) {
  EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&pid));
  return pid == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (GetACP() != 932) {
    std::printf("FAIL: ANSI code page is %u, not 932\n", GetACP());
    return 1;
  }
  if (argc < 2) {
    std::printf("FAIL: usage: wine_smoke <karuvel.exe>\n");
    return 1;
  }
  std::wstring cmd = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(argv[1], &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("FAIL: CreateProcess error %lu\n", GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);
  int rc = 0;
  // Up is enough: a window of its own (its main window or a start-up message) shows it came up.
  DWORD waited = WAIT_TIMEOUT;
  for (int i = 0; i < 300 && waited == WAIT_TIMEOUT; ++i) {
    waited = WaitForSingleObject(pi.hProcess, 50);
    if (waited == WAIT_TIMEOUT && ShowsWindow(pi.dwProcessId)) break;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (waited == WAIT_OBJECT_0 && code != 0) {
    std::printf("FAIL: karuvel.exe exited with %lu\n", code);
    rc = 1;
  } else if (waited != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 0);  // still running: it started and waits on its window
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
  if (rc == 0) std::printf("OK: code page 932, karuvel.exe runs\n");
  return rc;
}
