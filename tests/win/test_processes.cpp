#include "test_processes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

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

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);  // shares reading and writing
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

StandinHost::StandinHost(const std::wstring& dir, int port, const std::wstring& options)
    : log_(std::filesystem::temp_directory_path() / (L"karuvel-standin-host-" + std::to_wstring(port) + L".log")) {
  const std::wstring ready = log_ + L".ready";
  DeleteFileW(log_.c_str());
  DeleteFileW(ready.c_str());
  process_.Reset(Launch(Quoted(dir + L"zmemo_host.exe") + L" serve --port " + std::to_wstring(port) + L" --log " +
                    Quoted(log_) + L" --ready " + Quoted(ready) + L" " + options));
  // A host that cannot listen ends at once. The file shows as soon as the host creates it, maybe
  // before the host has closed it, so its presence is the signal; it goes with the log.
  const auto readyShows = [&] { return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES; };
  for (int i = 0; process_ && i < 400 && !readyShows() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; ++i)
    Sleep(25);
  started_ = process_ && readyShows();
}

StandinHost::~StandinHost() {
  if (process_) TerminateProcess(process_.Get(), 0), WaitForSingleObject(process_.Get(), 5000);
  DeleteFileW(log_.c_str());
  DeleteFileW((log_ + L".ready").c_str());
}

std::string StandinHost::Log() const { return ReadFileBytes(log_); }

std::vector<std::string> StandinHost::Requests() const {
  // Records: "REQUEST <n>\r\n" <n bytes> "\r\n".
  const std::string log = Log();
  std::vector<std::string> requests;
  for (size_t at = 0, eol; at < log.size() && log.compare(at, 8, "REQUEST ") == 0;) {
    if ((eol = log.find("\r\n", at)) == log.npos) break;
    const size_t size = std::stoul(log.substr(at + 8, eol - at - 8));
    requests.push_back(log.substr(eol + 2, size));
    at = eol + 2 + size + 2;
  }
  return requests;
}

}  // namespace karuvel
