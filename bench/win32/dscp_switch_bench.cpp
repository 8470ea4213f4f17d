// Latency of one script switch through the stand-in chc_dscp.dll and the stand-in ZMemo host on
// loopback: Cmd切替_Click with the package check on the real file system, the request in the ANSI
// code page, one TCP round trip and the reply back in the (windowless) view. Also the bare
// chc_DSCPSend round trip. Median and spread of many runs; nothing is asserted.
//   dscp_switch_bench.exe <directory of zmemo_host.exe and chc_dscp.dll> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "dscp/dscp_library_win.h"
#include "dscp/script_switch.h"
#include "shell/running_marks.h"
#include "standins/zmemo_host/demo_layout.h"

namespace {

using namespace karuvel;

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The view without a window: remembers the reply, reports messages.
class QuietView : public MainView {
 public:
  void ListClear(List) override {}
  void ListAdd(List, const Text&) override {}
  void ListSetSelected(List, int) override {}
  int ListSelected(List) const override { return 0; }
  void SetText(TextBox box, const Text& text) override {
    if (box == TextBox::Reply) reply = text;
  }
  void SetTextEnabled(TextBox, bool) override {}
  void SetButtonEnabled(Button, bool) override {}
  bool IsButtonEnabled(Button) const override { return true; }
  int OuterHeightTwips() const override { return 2925; }
  void SetOuterHeightTwips(int) override {}
  void ShowMessage(const Text&) override { ++messages; }
  void SetBusy(bool) override {}
  void ShowNow() override {}
  Text reply;
  int messages = 0;
};

int Run(const std::wstring& command, bool wait, PROCESS_INFORMATION* out = nullptr) {
  std::wstring line = command;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  if (!wait) {
    *out = pi;
    return 0;
  }
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const auto at = [&](double q) { return times[static_cast<size_t>(q * static_cast<double>(times.size() - 1))]; };
  std::printf("%-34s median %.3f ms  (min %.3f, p90 %.3f, max %.3f, %zu runs)\n", what, at(0.5), times.front(),
              at(0.9), times.back(), times.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dscp_switch_bench <stand-in directory> [runs]\n");
    return 2;
  }
  const std::wstring dir = std::wstring(argv[1]) + L"\\";
  const int runs = argc > 2 ? _wtoi(argv[2]) : 500;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"karuvel-bench-dscp";
  if (Run(L"\"" + dir + L"zmemo_host.exe\" install-demo \"" + root + L"\"", true) != 0) return 3;
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", L"24990");
  PROCESS_INFORMATION host{};
  const std::wstring ready = root + L"\\ready";
  DeleteFileW(ready.c_str());
  // The ETag holds quotes: escaped for the host's command line.
  if (Run(L"\"" + dir + L"zmemo_host.exe\" serve --port 24990 --ready \"" + ready + L"\" --etag \"\\\"zm-0001-表\\\"\"",
          false, &host) != 0)
    return 4;
  for (int i = 0; i < 400 && GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(25);

  // One note: the demo's first, with its well-formed UGU as the chosen script.
  NoteTable table;
  const std::wstring script = root + zmemo_demo::kUguOwnDat;
  const std::wstring etag = zmemo_demo::kETagFirst;
  table.intNoteCount = 1;
  table.Notes[0].strETag = Text(etag.begin(), etag.end());
  table.Notes[0].strHistory[0] = Text(script.begin(), script.end());
  table.Notes[0].intHistoryCount = 1;
  QuietView view;
  const Text standins(dir.begin(), dir.end());  // found there as ZMemo's folder would be
  ChcDscpLibrary library(standins);
  Text sent, received;
  LoadContext load{table, view, RealFileSystem(), library, [] { return karuvel::IsZMemoRunning(); }, sent, received};

  // Loaded here from the stand-in directory (this program does not sit beside it); the switch's
  // own loader then finds it there, already loaded.
  HMODULE module = LoadLibraryW((dir + L"chc_dscp.dll").c_str());
  using SendFn = int(WINAPI*)(const char*, const char*, char*);
  const auto send = reinterpret_cast<SendFn>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, "chc_DSCPSend")));
  if (!send) return 5;

  std::vector<double> switches, sends;
  std::vector<char> reply(kReplyBufferSize + 2);  // as the sender allocates it
  for (int i = 0; i < runs + 20; ++i) {  // the first 20 warm up
    double start = NowMs();
    Cmd切替_Click(load);
    const double switched = NowMs() - start;
    std::fill(reply.begin(), reply.end(), '\0');
    start = NowMs();
    send("127.0.0.1", "LOAD DSCP/1.3\r\nTargetETag: x\r\nScript: y\r\n\r\n", reply.data());
    const double bare = NowMs() - start;
    if (i >= 20) {
      switches.push_back(switched);
      sends.push_back(bare);
    }
  }
  const bool answered = view.reply.rfind(u"DSCP/1.3 200 OK", 0) == 0 && view.messages == 0;
  TerminateProcess(host.hProcess, 0);
  WaitForSingleObject(host.hProcess, 5000);
  CloseHandle(host.hProcess);
  CloseHandle(host.hThread);
  if (!answered) {
    std::fprintf(stderr, "dscp_switch_bench: the switch did not get its reply (%d messages, reply \"%.60ls\")\n",
                 view.messages, reinterpret_cast<const wchar_t*>(view.reply.c_str()));
    return 6;
  }
  Report("switch (Cmd切替_Click), round trip", switches);
  Report("chc_DSCPSend alone", sends);
  FreeLibrary(module);
  return 0;
}
