#include "dscp_e2e.h"

#include <utility>

namespace karuvel::e2e {

std::wstring StandinDir() {
  const std::wstring exe = KaruvelExePath();
  return exe.substr(0, exe.find_last_of(L"\\/") + 1);
}

bool InstallDemo(const std::wstring& root) {
  return RunToEnd(Quoted(StandinDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root)) == 0;
}

Scripts MakeScripts(const std::wstring& root) {
  const std::wstring dir = root + L"\\scripts";
  for (const wchar_t* sub : {L"", L"\\ソフト表示", L"\\ソフト表示\\DAT", L"\\ABC", L"\\ABC\\DAT", L"\\DAT", L"\\broken"})
    CreateDirectoryW((dir + sub).c_str(), nullptr);
  const Scripts s{dir + L"\\ソフト表示.ugu", dir + L"\\abc.psn", dir + L"\\shared.ugu", dir + L"\\broken\\broken.ugu"};
  for (const std::wstring& file : {s.ugu, s.psn, s.shared, s.broken, dir + L"\\ソフト表示\\DAT\\mio00.euu",
                                   dir + L"\\ABC\\DAT\\aya00.out", dir + L"\\DAT\\mio00.euu"})
    WriteBytes(file, "x\r\n");
  return s;
}

int UseFreshPort() {
  // Ports are not reused within a run and lie below the range the system gives outgoing
  // connections. The first is random: Wine numbers the processes of each session alike, so one
  // derived from the process id would be the same in two sessions running side by side.
  static int next = [] {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    unsigned long long x = static_cast<unsigned long long>(counter.QuadPart) ^ (GetTickCount64() << 20);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    return 20000 + static_cast<int>(x % 10000);
  }();
  const int port = next++;
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  return port;
}

namespace {
// The port UseFreshPort chose last (the C runtime's copy of the environment does not see it).
int CurrentPort() {
  wchar_t port[16] = {};
  GetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", port, 16);
  return _wtoi(port);
}
}  // namespace

ZMemoHost::ZMemoHost(const std::wstring& options) : StandinHost(StandinDir(), CurrentPort(), options) {}

ReplyHold::ReplyHold() {
  static int serial = 0;
  name_ = L"KaruvelReplyHold_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
  event_ = CreateEventW(nullptr, FALSE, FALSE, name_.c_str());
}

ReplyHold::~ReplyHold() {
  if (event_) CloseHandle(event_);
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

Drop Drop::MoveOnly(HWND target, const std::wstring& file) {
  Drop drop;
  drop.Start(CentreOf(target), L" --move-only " + Quoted(file));
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
