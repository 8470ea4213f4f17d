// Soak: many switches and drops in a row against the stand-in host while the host is now and then
// gone, deaf, slow past the library's time-out or answering with the largest reply. Afterwards
// Karuvel still answers, its handles and private memory are back near where they started, and the
// host's log holds exactly the requests that were meant to reach it.
//
// Short by default (part of the test command); KARUVEL_SOAK=long runs 2000 switches and 500 drops.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dscp_e2e.h"
#include "karuvel_driver.h"
#include "shell/control_ids.h"

namespace karuvel::e2e {
namespace {

using namespace ids;

constexpr DWORD kLibraryTimeoutMs = 400;  // given to the stand-in library through its environment
constexpr DWORD kSlowHostMs = 700;        // past that time-out
constexpr int kFullReply = 19999;         // the most a reply can hold in the 20000-byte buffer
constexpr int kPhaseLength = 5;           // operations between changes of the host's mood

bool LongRun() {
  char value[16] = {};
  return GetEnvironmentVariableA("KARUVEL_SOAK", value, sizeof value) > 0 && std::string(value) == "long";
}

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
  ULONG count2 = 0;
  for (ULONG i = 0; i < entries; ++i)
    if (entry[i].pid == static_cast<USHORT>(pid)) ++count2;
  return count2;
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

Usage UsageOf(const Karuvel& karuvel) {
  return {HandleCount(karuvel.Process(), karuvel.Pid()), PrivateBytes(karuvel.Process())};
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

// The host in one mood: the stand-in host with the matching options; nobody for "gone"; for
// "deaf" ZMemo's mutex held here with nobody listening, so Karuvel thinks ZMemo runs and the
// library cannot connect.
class MoodyHost {
 public:
  explicit MoodyHost(Mood mood) {
    const std::wstring known = L"--etag 付箋1 --etag ETAG-2";
    switch (mood) {
      case Mood::Normal: host_ = std::make_unique<ZMemoHost>(known); break;
      case Mood::FullReply: host_ = std::make_unique<ZMemoHost>(L"--reply-fill " + std::to_wstring(kFullReply)); break;
      case Mood::OversizeReply: host_ = std::make_unique<ZMemoHost>(L"--reply-fill 25000"); break;
      case Mood::Slow: host_ = std::make_unique<ZMemoHost>(known + L" --silent-ms " + std::to_wstring(kSlowHostMs)); break;
      case Mood::Gone: break;
      case Mood::Deaf: mutex_ = CreateMutexA(nullptr, FALSE, "TMemoManWndMutex"); break;
    }
  }
  ~MoodyHost() {
    if (mutex_) CloseHandle(mutex_);
  }
  MoodyHost(const MoodyHost&) = delete;
  MoodyHost& operator=(const MoodyHost&) = delete;

  bool Up() const { return host_ ? host_->Started() : true; }
  std::vector<std::string> Requests() const { return host_ ? host_->Requests() : std::vector<std::string>(); }

 private:
  std::unique_ptr<ZMemoHost> host_;
  HANDLE mutex_ = nullptr;
};

// ---- The soak ---------------------------------------------------------------------------------

std::wstring Request(const std::wstring& etag, const std::wstring& script) {
  return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + script + L"\r\n\r\n";
}

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeZMemoRoot(L"Soak");
    SetZMemoRoot(root_);
    const Scripts scripts = MakeScripts(root_);
    ugu_ = scripts.ugu;
    psn_ = scripts.psn;
    shared_ = scripts.shared;
    ASSERT_TRUE(WriteBytes(MemoIniOf(root_),
                           Ansi(L"[Memo]\r\n1_ScriptEnableDscpServer=true\r\n1_ETag=付箋1\r\n"
                                L"1_WatermarkHistory-000=" + ugu_ + L"\r\n1_WatermarkHistory-001=" + psn_ + L"\r\n"
                                L"2_ScriptEnableDscpServer=true\r\n2_ETag=ETAG-2\r\n"
                                L"2_WatermarkHistory-000=" + shared_ + L"\r\n2_ScriptFileName=" + shared_ + L"\r\n")));
    notes_ = {{L"付箋1", {ugu_, psn_}}, {L"ETAG-2", {shared_}}};

    // One port for the whole run: Karuvel keeps the environment it was started with.
    UseFreshPort();
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", std::to_wstring(kLibraryTimeoutMs).c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", nullptr); }

  // Waits for the end of one switch or drop, answering message boxes. True when it ended with the
  // buttons enabled again and, when `expectBox` is set, after a message box.
  bool WaitDone(bool expectBox, std::wstring& boxText) {
    bool sawBox = false;
    const bool done = WaitUntil([&] {
      for (HWND box : MessageBoxesOf(karuvel_.Pid())) {
        boxText = MessageBoxText(box);
        sawBox = true;
        PressOk(box);
        return false;
      }
      if (!IsEnabled(karuvel_.Control(kCmd切替))) return false;
      if (expectBox) return sawBox;
      return !ReadText(karuvel_.Control(kText2)).empty() && !ReadText(karuvel_.Control(kText1)).empty();
    }, 15000);
    return done;
  }

  std::wstring root_, ugu_, psn_, shared_;
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> notes_;
  Karuvel karuvel_;
};

TEST_F(Soak, SwitchesAndDropsAgainstAMoodyHost) {
  const bool longRun = LongRun();
  const int switches = longRun ? 2000 : 50;
  const int drops = longRun ? 500 : 20;
  // Every mood shows up in the short run too; the first phase is the warm-up.
  const Mood moods[] = {Mood::Normal, Mood::FullReply, Mood::Slow,          Mood::Gone,
                        Mood::Normal, Mood::Deaf,      Mood::OversizeReply, Mood::Normal};

  const int cycle = kPhaseLength * static_cast<int>(sizeof moods / sizeof moods[0]);
  Mood mood = Mood::Normal;
  auto host = std::make_unique<MoodyHost>(mood);
  ASSERT_TRUE(host->Up());
  ASSERT_TRUE(karuvel_.Start());
  HWND window = karuvel_.WaitReady(static_cast<int>(notes_.size()));
  ASSERT_NE(window, nullptr);
  Click(karuvel_.Control(kCmd詳細));  // the expanded view, where the texts show
  HWND noteList = karuvel_.Control(kCbo切替対象);
  HWND scriptList = karuvel_.Control(kCbo切替スクリプト);
  HWND text1 = karuvel_.Control(kText1);
  HWND text2 = karuvel_.Control(kText2);
  const POINT dropAt = CentreOf(karuvel_.Control(kLblVersion));

  const Usage atStart = UsageOf(karuvel_);
  Usage afterWarmUp{};
  std::vector<std::string> expected, logged;
  int counts[kMoods] = {};
  ULONGLONG msByMood[kMoods] = {};
  int fullReplies = 0;
  const int total = switches + drops;
  int switchesDone = 0, dropsDone = 0;
  // Collects what the host received once it has caught up with what was meant for it.
  auto collect = [&] {
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
      host = std::make_unique<MoodyHost>(mood);
      ASSERT_TRUE(host->Up()) << MoodName(mood) << " " << op;
    }
    // Warmed up after one round of every mood; a trace after each further round shows any growth.
    if (op % cycle == 0 && op > 0) {
      const Usage now = UsageOf(karuvel_);
      if (op == cycle) afterWarmUp = now;
      std::printf("soak: after %d operations: %lu handles, %lu KB private\n", op, now.handles,
                  static_cast<unsigned long>(now.privateBytes / 1024));
    }

    // Drops spread evenly among the switches.
    const bool drop = dropsDone < drops && static_cast<long long>(dropsDone) * total < static_cast<long long>(op + 1) * drops;
    const size_t note = static_cast<size_t>(op) % notes_.size();
    const std::vector<std::wstring>& history = notes_[note].second;
    const size_t scriptIndex = static_cast<size_t>(op / 2) % history.size();
    const std::wstring script = drop ? (op % 2 ? shared_ : psn_) : history[scriptIndex];

    // Choosing the note empties both texts once its handler has run; wait for that, so the next
    // choice is not undone by the refill of the script list.
    const ULONGLONG began = GetTickCount64();
    SetEditText(text2, L"waiting for the note");
    Choose(noteList, static_cast<int>(note));
    ASSERT_TRUE(WaitUntil([&] { return ReadText(text2).empty(); })) << op;
    SetEditText(text1, L"");
    std::wstring boxText;
    if (drop) {
      Drop dropping(dropAt, {script});
      const bool done = WaitDone(mood == Mood::Gone, boxText);
      dropping.Wait();
      ASSERT_TRUE(done) << "drop " << op << " " << MoodName(mood) << " " << Utf8Of(boxText);
      ++dropsDone;
    } else {
      Choose(scriptList, static_cast<int>(scriptIndex));
      Click(karuvel_.Control(kCmd切替));
      ASSERT_TRUE(WaitDone(mood == Mood::Gone, boxText))
          << "switch " << op << " " << MoodName(mood) << " " << Utf8Of(boxText);
      ++switchesDone;
    }
    ++counts[static_cast<int>(mood)];
    msByMood[static_cast<int>(mood)] += GetTickCount64() - began;

    if (mood == Mood::Gone) {
      ASSERT_EQ(boxText, L"ZMemoが起動されていません。") << op;
      continue;
    }
    const std::wstring request = Request(notes_[note].first, script);
    ASSERT_EQ(ReadText(text2), request) << op;
    const std::wstring reply = ReadText(text1);
    if (mood == Mood::FullReply || mood == Mood::OversizeReply) {
      ASSERT_EQ(reply.size(), static_cast<size_t>(kFullReply)) << op;
      ++fullReplies;
    } else if (mood == Mood::Normal) {
      ASSERT_EQ(reply.rfind(L"DSCP/1.3 200 OK", 0), 0u) << op << " " << Utf8Of(reply);
    }
    if (Reaches(mood)) expected.push_back(Ansi(request));
  }
  collect();
  host.reset();

  // Still answering, and back near where it started.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
  const Usage atEnd = UsageOf(karuvel_);
  EXPECT_EQ(logged.size(), expected.size());
  EXPECT_TRUE(logged == expected) << "the host's logs differ from the requests sent";

  std::printf("soak: %d switches, %d drops; operations by mood:", switchesDone, dropsDone);
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
  EXPECT_EQ(switchesDone, switches);
  EXPECT_EQ(dropsDone, drops);
  EXPECT_LE(atEnd.handles, afterWarmUp.handles + 8);
  EXPECT_LE(atEnd.privateBytes, afterWarmUp.privateBytes + 1024 * 1024);
}

}  // namespace
}  // namespace karuvel::e2e
