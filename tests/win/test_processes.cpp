#include "test_processes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace karuvel {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH];
  const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return program.substr(0, program.find_last_of(L"\\/") + 1);
}

std::wstring BuildDir() {
  const std::wstring dir = TestProgramDir();
  return dir.substr(0, dir.find_last_of(L"\\/", dir.size() - 2) + 1);
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
  std::ifstream in(std::filesystem::path(path), std::ios::binary);  // shares reading and writing
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

StandinHost::StandinHost(const std::wstring& dir, int port, const std::wstring& options)
    : log_(std::filesystem::temp_directory_path() / (L"karuvel-standin-host-" + std::to_wstring(port) + L".log")) {
  const std::wstring ready = log_ + L".ready";
  DeleteFileW(log_.c_str());
  DeleteFileW(ready.c_str());
  process_ = Launch(Quoted(dir + L"zmemo_host.exe") + L" serve --port " + std::to_wstring(port) + L" --log " +
                    Quoted(log_) + L" --ready " + Quoted(ready) + L" " + options);
  // A host that cannot listen ends at once. The file shows as soon as the host creates it, maybe
  // before the host has closed it, so its presence is the signal; it goes with the log.
  const auto readyShows = [&] { return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES; };
  for (int i = 0; process_ && i < 400 && !readyShows() && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; ++i)
    Sleep(25);
  started_ = process_ && readyShows();
}

StandinHost::~StandinHost() {
  if (process_) TerminateProcess(process_, 0), WaitForSingleObject(process_, 5000), CloseHandle(process_);
  DeleteFileW(log_.c_str());
  DeleteFileW((log_ + L".ready").c_str());
}

std::string StandinHost::Log() const { return ReadFileBytes(log_); }

std::vector<std::string> StandinHost::Requests() const {
  // Records: "REQUEST <n>\r\n" <n bytes> "\r\n".
  const std::string log = Log();
  std::vector<std::string> requests;
  for (size_t at = 0, eol; at < log.size() && log.compare(at, 8, "REQUEST ") == 0 && (eol = log.find("\r\n", at)) != log.npos;) {
    const size_t size = std::stoul(log.substr(at + 8, eol - at - 8));
    requests.push_back(log.substr(eol + 2, size));
    at = eol + 2 + size + 2;
  }
  return requests;
}

}  // namespace karuvel
