#include "dscp_e2e.h"

#include <utility>

namespace karuvel::e2e {

namespace {

std::string ReadAll(const std::wstring& path) {
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

HANDLE Launch(std::wstring commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

}  // namespace

std::wstring StandinDir() {
  const std::wstring exe = KaruvelExePath();
  return exe.substr(0, exe.find_last_of(L"\\/") + 1);
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

bool InstallDemo(const std::wstring& root) {
  return RunToEnd(Quoted(StandinDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root)) == 0;
}

int UseFreshPort() {
  // Ports are not reused within a run, and lie below the range the system gives outgoing
  // connections, whose local ports would otherwise collide now and then.
  static int next = 25000 + static_cast<int>(GetCurrentProcessId() % 4000);
  const int port = next++;
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  return port;
}

ZMemoHost::ZMemoHost(const std::wstring& options) {
  wchar_t portText[16] = {};
  GetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", portText, 16);
  const int port = _wtoi(portText);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  log_ = std::wstring(temp) + L"karuvel-e2e-host-" + std::to_wstring(port) + L".log";
  const std::wstring ready = log_ + L".ready";
  DeleteFileW(log_.c_str());
  DeleteFileW(ready.c_str());
  std::wstring command = Quoted(StandinDir() + L"zmemo_host.exe") + L" serve --port " + std::to_wstring(port) +
                         L" --log " + Quoted(log_) + L" --ready " + Quoted(ready) + L" " + options;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) return;
  // A host that cannot listen ends at once.
  WaitUntil([&] {
    return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES ||
           WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
  }, 10000);
  started_ = GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileW(ready.c_str());
}

ZMemoHost::~ZMemoHost() {
  if (process_.hProcess) {
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  DeleteFileW(log_.c_str());
}

std::vector<std::string> ZMemoHost::Requests() const {
  // Records: "REQUEST <n>\r\n" <n bytes> "\r\n".
  const std::string log = ReadAll(log_);
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

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

Drop::Drop(HWND target, const std::vector<std::wstring>& files) : Drop(CentreOf(target), files) {}

Drop::Drop(POINT screen, const std::vector<std::wstring>& files) {
  std::wstring args;
  for (const std::wstring& f : files) args += L" " + Quoted(f);
  Start(screen, args);
}

Drop Drop::Text(HWND target, const std::wstring& text) {
  Drop drop;
  drop.Start(CentreOf(target), L" --text " + Quoted(text));
  return drop;
}

void Drop::Start(POINT screen, const std::wstring& args) {
  process_ = Launch(Quoted(StandinDir() + L"drop_source.exe") + L" " + std::to_wstring(screen.x) + L" " +
                    std::to_wstring(screen.y) + args);
}

Drop::Drop(Drop&& other) noexcept : process_(std::exchange(other.process_, nullptr)) {}

Drop::~Drop() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 999);
    CloseHandle(process_);
  }
}

int Drop::Wait(DWORD ms) {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

}  // namespace karuvel::e2e
