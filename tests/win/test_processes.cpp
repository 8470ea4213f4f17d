#include "test_processes.h"

#include <filesystem>

#include "common/owners_win.h"

namespace karuvel {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH];
  return std::filesystem::path(path, path + GetModuleFileNameW(nullptr, path, MAX_PATH)).remove_filename();
}

std::wstring BuildDir() { return std::filesystem::path(TestProgramDir()).parent_path().remove_filename(); }

HANDLE Launch(std::wstring commandLine, DWORD* pid) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

int RunToEnd(const std::wstring& commandLine, DWORD ms) {
  const UniqueHandle process(Launch(commandLine));
  DWORD code = static_cast<DWORD>(-1);
  if (process && WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  else if (process) TerminateProcess(process.Get(), code);
  return static_cast<int>(code);
}

}  // namespace karuvel
