// Other processes for the Win32 test programs: where the built programs are, starting them and
// waiting for them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "common/owners_win.h"

namespace karuvel {

inline std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// The directory of this test program, and the build directory above it, each ending in "\".
inline std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH];
  return std::filesystem::path(path, path + GetModuleFileNameW(nullptr, path, MAX_PATH)).remove_filename();
}

inline std::wstring BuildDir() { return std::filesystem::path(TestProgramDir()).parent_path().remove_filename(); }

// Starts a command line; the process handle (the caller closes it) or null. `pid` gets its id.
inline HANDLE Launch(std::wstring commandLine, DWORD* pid = nullptr) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

// Runs a command line to its end (killed after `ms`); its exit code, or -1.
inline int RunToEnd(const std::wstring& commandLine, DWORD ms = 15000) {
  const UniqueHandle process(Launch(commandLine));
  DWORD code = static_cast<DWORD>(-1);
  if (process && WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  else if (process) TerminateProcess(process.Get(), code);
  return static_cast<int>(code);
}

}  // namespace karuvel
