#include "test_processes.h"

namespace karuvel {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring BuildDir() {
  std::wstring dir = TestProgramDir();
  dir.pop_back();
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

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
  HANDLE process = Launch(commandLine);
  if (!process) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  else TerminateProcess(process, static_cast<UINT>(-1));
  CloseHandle(process);
  return static_cast<int>(code);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string out;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  char chunk[8192];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(f);
  return out;
}

StandinHost::StandinHost(const std::wstring& dir, int port, const std::wstring& options) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  log_ = std::wstring(temp) + L"karuvel-standin-host-" + std::to_wstring(port) + L".log";
  const std::wstring ready = log_ + L".ready";
  DeleteFileW(log_.c_str());
  DeleteFileW(ready.c_str());
  process_ = Launch(Quoted(dir + L"zmemo_host.exe") + L" serve --port " + std::to_wstring(port) + L" --log " +
                    Quoted(log_) + L" --ready " + Quoted(ready) + L" " + options);
  if (!process_) return;
  // A host that cannot listen ends at once.
  for (int i = 0; i < 400 && GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES &&
                  WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
       ++i)
    Sleep(25);
  // The file shows as soon as the host creates it, maybe before the host has closed it, so its
  // presence is the signal; it goes with the log.
  started_ = GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES;
}

StandinHost::~StandinHost() {
  if (process_) {
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
  }
  DeleteFileW(log_.c_str());
  DeleteFileW((log_ + L".ready").c_str());
}

std::string StandinHost::Log() const { return ReadFileBytes(log_); }

std::vector<std::string> StandinHost::Requests() const {
  // Records: "REQUEST <n>\r\n" <n bytes> "\r\n".
  const std::string log = Log();
  std::vector<std::string> requests;
  size_t at = 0;
  while (at < log.size()) {
    const size_t eol = log.find("\r\n", at);
    if (log.compare(at, 8, "REQUEST ") != 0 || eol == std::string::npos) break;
    const size_t size = std::stoul(log.substr(at + 8, eol - at - 8));
    requests.push_back(log.substr(eol + 2, size));
    at = eol + 2 + size + 2;
  }
  return requests;
}

}  // namespace karuvel
