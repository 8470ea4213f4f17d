// Soak: many switches and drops in a row against the stand-in host while the host is now and then
// gone, deaf, slow past the library's time-out or answering with the largest reply. Afterwards
// Karuvel still answers, its handles and private memory are back near where they started, the
// host's log holds exactly the requests that were meant to reach it, and Karuvel has written
// nothing to the registry or the disk.
//
// On demand, not part of the test command: soak.exe <karuvel.exe> runs 50 switches and 20 drops,
// and with KARUVEL_SOAK=long 2000 switches and 500 drops. Exit code 0 when every check held.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/control_ids.h"
#include "standins/zmemo_host/demo_layout.h"
#include "tests/e2e/karuvel_driver.h"

namespace karuvel::e2e {
namespace {

using namespace ids;

constexpr DWORD kLibraryTimeoutMs = 400;  // given to the stand-in library through its environment
constexpr DWORD kSlowHostMs = 700;        // past that time-out
constexpr int kFullReply = 19999;         // the most a reply can hold in the 20000-byte buffer
constexpr int kPhaseLength = 5;           // operations between changes of the host's mood

void SetEditText(HWND edit, const std::wstring& text) { Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

bool LongRun() {
  char value[16] = {};
  return GetEnvironmentVariableA("KARUVEL_SOAK", value, sizeof value) > 0 && std::string(value) == "long";
}

std::string Utf8Of(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

// Counts the checks that failed and says which.
class Checks {
 public:
  bool operator()(bool ok, const std::string& what) {
    if (!ok) {
      ++failed_;
      std::printf("soak: FAILED: %s\n", what.c_str());
      std::fflush(stdout);
    }
    return ok;
  }
  int Failed() const { return failed_; }

 private:
  int failed_ = 0;
};

// ---- What Karuvel holds -----------------------------------------------------------------------

// Handles of a process. GetProcessHandleCount gives 0 under Wine, so the system's handle table is
// counted instead when it does.
ULONG HandleCount(HANDLE process, DWORD pid) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count > 0) return count;
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  struct Entry {
    USHORT pid, creatorBackTraceIndex;
    UCHAR objectType, flags;
    USHORT handle;
    PVOID object;
    ULONG access;
  };
  std::vector<char> buffer(1 << 20);
  ULONG length = 0;
  constexpr ULONG kSystemHandleInformation = 16;
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
         static_cast<LONG>(0xC0000004L))  // buffer too small
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const ULONG entries = *reinterpret_cast<ULONG*>(buffer.data());
  const Entry* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  ULONG counted = 0;
  for (ULONG i = 0; i < entries; ++i)
    if (entry[i].pid == static_cast<USHORT>(pid)) ++counted;
  return counted;
}

// Committed private memory of a process in bytes: PrivateUsage where the system reports it (0
// under Wine), otherwise the sum of its committed private regions.
SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters) &&
      counters.PrivateUsage > 0)
    return counters.PrivateUsage;
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* at = nullptr;
  while (VirtualQueryEx(process, at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

struct Usage {
  ULONG handles;
  SIZE_T privateBytes;
};

// The driver keeps Karuvel's process handle to itself; this one is opened from the id, only to read.
class Watched {
 public:
  explicit Watched(DWORD pid)
      : pid_(pid), process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {}
  bool Opened() const { return static_cast<bool>(process_); }
  Usage Now() const { return {HandleCount(process_.Get(), pid_), PrivateBytes(process_.Get())}; }

 private:
  DWORD pid_;
  UniqueHandle process_;
};

// ---- What a writer would change -----------------------------------------------------------------

// Keys, values and files by path, with what a write changes in each.
using Snapshot = std::map<std::wstring, std::string>;

void TakeKey(HKEY parent, const std::wstring& name, const std::wstring& path, Snapshot& out) {
  if (name == L"Temporary System Parameters") return;  // Wine's own cache, filled by any window program
  UniqueKey key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
  wchar_t child[16384];
  std::vector<BYTE> data(1 << 20);  // a value larger than this would end its key's walk early
  for (DWORD i = 0, n = 16384, size = static_cast<DWORD>(data.size()), type = 0;
       RegEnumValueW(key.Get(), i, child, &n, nullptr, &type, data.data(), &size) == 0;
       ++i, n = 16384, size = static_cast<DWORD>(data.size()))
    out[path + L"=" + child] = std::to_string(type) + std::string(reinterpret_cast<char*>(data.data()), size);
  out[path] = "key";
  for (DWORD i = 0, n = 16384; RegEnumKeyExW(key.Get(), i, child, &n, nullptr, nullptr, nullptr, nullptr) == 0; ++i, n = 16384)
    TakeKey(key.Get(), child, path + L"\\" + child, out);
}

void TakeTree(const std::wstring& dir, Snapshot& out, bool deep = true) {
  WIN32_FIND_DATAW f;
  const UniqueFind search(FindFirstFileW((dir + L"\\*").c_str(), &f));
  for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.Get(), &f)) {
    const std::wstring name = f.cFileName, path = dir + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    out[path] = std::to_string(f.dwFileAttributes) + " " + std::to_string(f.ftLastWriteTime.dwLowDateTime) + " " +
                std::to_string(f.nFileSizeLow);
    if (deep && (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) TakeTree(path, out);
  }
}

// The user's registry, ZMemo's root, and the top of the roaming profile and of the program's own
// folder (Wine maps some profile folders onto the whole home directory, so only their tops).
Snapshot Take(const std::wstring& root, const std::wstring& programFolder) {
  Snapshot s;
  wchar_t appData[MAX_PATH] = {};
  TakeKey(HKEY_CURRENT_USER, L"Software", L"HKCU", s);
  TakeTree(root, s);
  TakeTree(std::wstring(appData, GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH)), s, false);
  TakeTree(programFolder, s, false);
  return s;
}

// The paths changed, gone or new, for the report.
std::string Changed(const Snapshot& before, const Snapshot& after) {
  std::string paths;
  for (const auto& [path, state] : before)
    if (!after.count(path) || after.at(path) != state) paths += " " + Utf8Of(path);
  for (const auto& [path, state] : after)
    if (!before.count(path)) paths += " " + Utf8Of(path);
  return paths;
}

// ---- The stand-in host ------------------------------------------------------------------------

enum class Mood { Normal, FullReply, OversizeReply, Slow, Gone, Deaf };
constexpr int kMoods = 6;

const char* MoodName(Mood mood) {
  switch (mood) {
    case Mood::Normal: return "normal";
    case Mood::FullReply: return "19999-byte reply";
    case Mood::OversizeReply: return "25000-byte reply";
    case Mood::Slow: return "slow";
    case Mood::Gone: return "gone";
    case Mood::Deaf: return "deaf";
  }
  return "?";
}

// Whether a request sent in this mood reaches the host (and its log).
bool Reaches(Mood mood) { return mood != Mood::Gone && mood != Mood::Deaf; }

// One port for the whole run: Karuvel keeps the environment it was started with, so every host
// listens where the first did. Random, as the driver's ports, so sessions side by side differ.
int UseFreshPort(int attempt) {
  const int port = 20000 + static_cast<int>((GetTickCount64() * 2654435761u + 7919u * attempt) % 10000);
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  return port;
}

// The host in one mood: the stand-in host with the matching options; nobody for "gone"; for
// "deaf" ZMemo's mutex held here with nobody listening, so Karuvel thinks ZMemo runs and the
// library cannot connect.
class MoodyHost {
 public:
  MoodyHost(Mood mood, int port) {
    const std::wstring known = L"--etag 付箋1 --etag ETAG-2";
    const auto host = [&](const std::wstring& options) {
      host_ = std::make_unique<ZMemoHost>(options, port);
    };
    switch (mood) {
      case Mood::Normal: host(known); break;
      case Mood::FullReply: host(L"--reply-fill " + std::to_wstring(kFullReply)); break;
      case Mood::OversizeReply: host(L"--reply-fill 25000"); break;
      case Mood::Slow: host(known + L" --silent-ms " + std::to_wstring(kSlowHostMs)); break;
      case Mood::Gone: break;
      case Mood::Deaf: mutex_.Reset(CreateMutexA(nullptr, FALSE, "TMemoManWndMutex")); break;
    }
  }

  bool Up() const { return host_ ? host_->Started() : true; }
  std::vector<std::string> Requests() const { return host_ ? host_->Requests() : std::vector<std::string>(); }

 private:
  std::unique_ptr<ZMemoHost> host_;
  UniqueHandle mutex_;
};

// ---- The soak ---------------------------------------------------------------------------------

std::wstring Request(const std::wstring& etag, const std::wstring& script) {
  return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + script + L"\r\n\r\n";
}

// Waits for the end of one switch or drop, answering message boxes. True when it ended with the
// buttons enabled again and, when `expectBox` is set, after a message box.
bool WaitDone(const Karuvel& karuvel, bool expectBox, std::wstring& boxText) {
  bool sawBox = false;
  return WaitUntil([&] {
    for (HWND box : karuvel.MessageBoxes()) {
      boxText = MessageBoxText(box);
      sawBox = true;
      PressOk(box);
      return false;
    }
    if (!IsWindowEnabled(karuvel.Control(kCmd切替))) return false;
    if (expectBox) return sawBox;
    return !ReadText(karuvel.Control(kRequestBox)).empty() && !ReadText(karuvel.Control(kReplyBox)).empty();
  }, 15000);
}

int Soak() {
  Checks check;
  const bool longRun = LongRun();
  const int switches = longRun ? 2000 : 50;
  const int drops = longRun ? 500 : 20;

  // The demo's packages, under notes of the soak's own.
  const std::wstring root = MakeZMemoRoot(L"Soak", true);
  SetZMemoRoot(root);
  const std::wstring ugu = root + zmemo_demo::kUguOwnDat, psn = root + zmemo_demo::kPsn,
                     shared = root + zmemo_demo::kUguSharedDat;
  if (!check(WriteBytes(MemoIniOf(root),
                        Ansi(L"[Memo]\r\n1_ScriptEnableDscpServer=true\r\n1_ETag=付箋1\r\n"
                             L"1_WatermarkHistory-000=" + ugu + L"\r\n1_WatermarkHistory-001=" + psn + L"\r\n"
                             L"2_ScriptEnableDscpServer=true\r\n2_ETag=ETAG-2\r\n"
                             L"2_WatermarkHistory-000=" + shared + L"\r\n2_ScriptFileName=" + shared + L"\r\n")),
             "memo.ini written"))
    return 1;
  const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> notes = {{L"付箋1", {ugu, psn}},
                                                                                 {L"ETAG-2", {shared}}};
  SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", std::to_wstring(kLibraryTimeoutMs).c_str());

  // Every mood shows up in the short run too; the first round is the warm-up.
  const Mood moods[] = {Mood::Normal, Mood::FullReply, Mood::Slow,          Mood::Gone,
                        Mood::Normal, Mood::Deaf,      Mood::OversizeReply, Mood::Normal};
  const int cycle = kPhaseLength * static_cast<int>(sizeof moods / sizeof moods[0]);
  Mood mood = Mood::Normal;
  int port = 0;
  std::unique_ptr<MoodyHost> host;
  for (int tries = 0; tries < 5 && !(host && host->Up()); ++tries)
    host = std::make_unique<MoodyHost>(mood, port = UseFreshPort(tries));
  if (!check(host->Up(), "the host listens on a port of its own")) return 1;

  const std::wstring programFolder = BuildDir().substr(0, BuildDir().size() - 1);
  const Snapshot before = Take(root, programFolder);
  Karuvel karuvel;
  if (!check(static_cast<bool>(karuvel.process), "karuvel.exe started")) return 1;
  HWND window = karuvel.WaitReady(static_cast<int>(notes.size()));
  if (!check(window != nullptr, "the window lists the notes")) return 1;
  Click(karuvel.Control(kCmd詳細));  // the expanded view, where the texts show
  HWND noteList = karuvel.Control(kCbo切替対象);
  HWND scriptList = karuvel.Control(kCbo切替スクリプト);
  HWND text1 = karuvel.Control(kReplyBox);
  HWND text2 = karuvel.Control(kRequestBox);
  if (!check(WaitUntil([&] { return IsWindowEnabled(text1); }), "the expanded view")) return 1;
  const POINT dropAt = CentreOf(karuvel.Control(kLblVersion));

  const Watched watched(karuvel.pid);
  if (!check(watched.Opened(), "Karuvel's process opened to read")) return 1;
  const Usage atStart = watched.Now();
  Usage afterWarmUp{};
  std::vector<std::string> expected, logged;
  int counts[kMoods] = {};
  ULONGLONG msByMood[kMoods] = {};
  int fullReplies = 0;
  const int total = switches + drops;
  int switchesDone = 0, dropsDone = 0;
  const ULONGLONG soakBegan = GetTickCount64();
  // Collects what the host received once it has caught up with what was meant for it.
  const auto collect = [&] {
    if (!Reaches(mood)) return;
    const size_t want = expected.size() - logged.size();
    WaitUntil([&] { return host->Requests().size() >= want; }, 20000);
    const std::vector<std::string> got = host->Requests();
    logged.insert(logged.end(), got.begin(), got.end());
  };
  for (int op = 0; op < total; ++op) {
    if (op % kPhaseLength == 0 && op > 0) {
      collect();
      host.reset();
      mood = moods[(op / kPhaseLength) % (sizeof moods / sizeof moods[0])];
      host = std::make_unique<MoodyHost>(mood, port);
      if (!check(host->Up(), std::string("host up: ") + MoodName(mood) + " at operation " + std::to_string(op)))
        return 1;
    }
    // Warmed up after one round of every mood; a trace after each further round shows any growth.
    if (op % cycle == 0 && op > 0) {
      const Usage now = watched.Now();
      if (op == cycle) afterWarmUp = now;
      std::printf("soak: after %d operations: %lu handles, %lu KB private\n", op, now.handles,
                  static_cast<unsigned long>(now.privateBytes / 1024));
      std::fflush(stdout);
    }

    // Drops spread evenly among the switches.
    const bool drop =
        dropsDone < drops && static_cast<long long>(dropsDone) * total < static_cast<long long>(op + 1) * drops;
    const size_t note = static_cast<size_t>(op) % notes.size();
    const std::vector<std::wstring>& history = notes[note].second;
    const size_t scriptIndex = static_cast<size_t>(op / 2) % history.size();
    const std::wstring script = drop ? (op % 2 ? shared : psn) : history[scriptIndex];
    const std::string where =
        std::string(drop ? "drop " : "switch ") + std::to_string(op) + " (" + MoodName(mood) + ")";

    // Choosing the note empties both texts once its handler has run; wait for that, so the next
    // choice is not undone by the refill of the script list.
    const ULONGLONG began = GetTickCount64();
    SetEditText(text2, L"waiting for the note");
    Choose(noteList, static_cast<int>(note));
    if (!check(WaitUntil([&] { return ReadText(text2).empty(); }), where + ": the note chosen")) return 1;
    SetEditText(text1, L"");
    std::wstring boxText;
    if (drop) {
      // The source has its answer before the drop's work, its message box included, begins.
      const bool done = Drop(dropAt, {script}) == DROPEFFECT_COPY && WaitDone(karuvel, mood == Mood::Gone, boxText);
      if (!check(done, where + " ended; box: " + Utf8Of(boxText))) return 1;
      ++dropsDone;
    } else {
      Choose(scriptList, static_cast<int>(scriptIndex));
      Click(karuvel.Control(kCmd切替));
      if (!check(WaitDone(karuvel, mood == Mood::Gone, boxText), where + " ended; box: " + Utf8Of(boxText))) return 1;
      ++switchesDone;
    }
    ++counts[static_cast<int>(mood)];
    msByMood[static_cast<int>(mood)] += GetTickCount64() - began;

    if (mood == Mood::Gone) {
      if (!check(boxText == L"ZMemoが起動されていません。", where + ": box " + Utf8Of(boxText))) return 1;
      continue;
    }
    const std::wstring request = Request(notes[note].first, script);
    if (!check(ReadText(text2) == request, where + ": request shown " + Utf8Of(ReadText(text2)))) return 1;
    const std::wstring reply = ReadText(text1);
    if (mood == Mood::FullReply || mood == Mood::OversizeReply) {
      if (!check(reply.size() == static_cast<size_t>(kFullReply), where + ": reply of " + std::to_string(reply.size())))
        return 1;
      ++fullReplies;
    } else if (mood == Mood::Normal) {
      if (!check(reply.rfind(L"DSCP/1.3 200 OK", 0) == 0, where + ": reply " + Utf8Of(reply))) return 1;
    }
    if (Reaches(mood)) expected.push_back(Ansi(request));
  }
  collect();
  host.reset();
  const ULONGLONG soakMs = GetTickCount64() - soakBegan;

  // Still answering, and back near where it started.
  DWORD_PTR answer = 0;
  check(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0, "Karuvel still answers");
  const Usage atEnd = watched.Now();
  check(logged.size() == expected.size(), "requests logged " + std::to_string(logged.size()) + " of " +
                                              std::to_string(expected.size()) + " sent");
  check(logged == expected, "the host's logs hold the requests sent, byte for byte");

  std::printf("soak: %d switches, %d drops in %llu s; operations by mood:", switchesDone, dropsDone, soakMs / 1000);
  for (int m = 0; m < kMoods; ++m)
    std::printf(" %s %d (%llu ms each),", MoodName(static_cast<Mood>(m)), counts[m],
                counts[m] ? msByMood[m] / static_cast<ULONGLONG>(counts[m]) : 0ull);
  std::printf(" full replies shown %d; requests logged %zu of %zu\n", fullReplies, logged.size(), expected.size());
  std::printf("soak: handles %lu at start, %lu after warm-up, %lu at end\n", atStart.handles, afterWarmUp.handles,
              atEnd.handles);
  std::printf("soak: private memory %lu KB at start, %lu KB after warm-up, %lu KB at end\n",
              static_cast<unsigned long>(atStart.privateBytes / 1024),
              static_cast<unsigned long>(afterWarmUp.privateBytes / 1024),
              static_cast<unsigned long>(atEnd.privateBytes / 1024));
  check(switchesDone == switches && dropsDone == drops, "every operation done");
  check(atEnd.handles <= afterWarmUp.handles + 8, "handles within 8 of the warm-up");
  check(atEnd.privateBytes <= afterWarmUp.privateBytes + 1024 * 1024, "private memory within 1 MB of the warm-up");

  // And it still closes as the user closes it.
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (check(karuvel.WaitExit() == std::optional<DWORD>(0), "Karuvel ends with code 0 when closed")) {
    const Snapshot after = Take(root, programFolder);
    check(after == before, "Karuvel wrote nothing; changed:" + Changed(before, after));
    std::printf("soak: %zu registry keys and values, files and folders compared before and after\n", before.size());
  }
  SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", nullptr);
  std::printf("soak: %s\n", check.Failed() ? "FAILED" : "passed");
  return check.Failed() ? 1 : 0;
}

}  // namespace
}  // namespace karuvel::e2e

int main() { return karuvel::e2e::Soak(); }
