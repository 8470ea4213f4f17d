// Sessions of karuvel.exe against the stand-in ZMemo host on the demo installation, one row per
// step with what must follow it. After every step the runner checks what every step owes: the one
// message box expected (text, caption "KARUVEL", OK only, owned by the window) or none, the load
// buttons on again, and the host's log holding exactly the requests expected so far.
#include <gtest/gtest.h>

#include <map>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "karuvel_driver.h"
#include "shell/control_ids.h"
#include "standins/zmemo_host/demo_layout.h"
#include "tests/expected_messages.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using namespace zmemo_demo;

std::wstring Load(const std::wstring& etag, const std::wstring& path) {
  return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + path + L"\r\n\r\n";
}

struct Step {
  enum Act { kNote, kScript, kSwitch, kDrop, kDropText, kDropMoveOnly } act;
  int arg = 0;  // a list position, or the control a drop aims at
  std::vector<std::wstring> files = {};
  std::wstring message = {};  // the one message box that follows, "" for none
  std::wstring sent = {};     // the request ZMemo gets, "" for none
};

// What a writer would change under the user's registry branch and a directory tree, by path.
using Snapshot = std::map<std::wstring, std::string>;

void TakeKey(HKEY parent, const std::wstring& name, const std::wstring& path, Snapshot& out) {
  if (name == L"Temporary System Parameters") return;  // Wine's own cache, filled by any window program
  UniqueKey key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
  wchar_t child[16384];
  BYTE data[65536];
  for (DWORD i = 0, n = 16384, size = sizeof data, type = 0;
       RegEnumValueW(key.Get(), i, child, &n, nullptr, &type, data, &size) == 0; ++i, n = 16384, size = sizeof data)
    out[path + L"=" + child] = std::to_string(type) + std::string(reinterpret_cast<char*>(data), size);
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

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(std::wstring(name.begin(), name.end()), true);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"30000");
  }
  void TearDown() override { SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", nullptr); }
  // The demo's notes known to the host, so that it answers without touching memo.ini as ZMemo would.
  static std::wstring Known() { return L" --etag \"\\\"zm-0001-表\\\"\" --etag \"\\\"zm-0002\\\"\""; }
  std::wstring Path(const wchar_t* relative) const { return root_ + relative; }
  HWND C(int id) const { return karuvel_->Control(id); }
  bool LoadButtonsOn() const { return IsEnabled(C(kCmd切替)) && IsEnabled(C(kCmd再読み込み)) && IsEnabled(C(kCmd終了)); }
  // The user's registry, ZMemo's root, the roaming profile and the program's own folder.
  Snapshot Take() const {
    Snapshot s;
    wchar_t appData[MAX_PATH] = {};
    TakeKey(HKEY_CURRENT_USER, L"Software", L"HKCU", s);
    TakeTree(root_, s);
    TakeTree(std::wstring(appData, GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH)), s);
    TakeTree(StandinDir().substr(0, StandinDir().size() - 1), s, false);
    return s;
  }

  // The steps in the expanded view; with `unwritten`, the registry and the files are compared after.
  void Run(const std::vector<Step>& steps, const ZMemoHost& host, const std::wstring& exe = KaruvelExePath(),
           bool unwritten = false) {
    ASSERT_TRUE(host.Started());
    const Snapshot before = unwritten ? Take() : Snapshot();
    ASSERT_TRUE(karuvel_.emplace().Start(exe));
    HWND window = karuvel_->WaitReady(2);
    ASSERT_NE(window, nullptr);
    Click(C(kCmd詳細));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(C(kText1)); }));
    std::vector<std::string> sent;
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      SetEditText(C(kText1), L"");
      SetEditText(C(kText2), L"");
      const POINT at = CentreOf(C(s.arg ? s.arg : kShape1));  // the bar lies on the bare window
      if (s.act == Step::kNote || s.act == Step::kScript) Choose(C(s.act == Step::kNote ? kCbo切替対象 : kCbo切替スクリプト), s.arg);
      if (s.act == Step::kSwitch) Click(C(kCmd切替));
      // The source has its answer before anything the drop causes, its message box included.
      const std::wstring kind = s.act == Step::kDropText ? L"--text" : s.act == Step::kDropMoveOnly ? L"--move-only" : L"";
      if (s.act >= Step::kDrop) {
        EXPECT_EQ(Drop(at, s.act == Step::kDropText ? std::vector<std::wstring>{L"LOAD"} : s.files, kind).Wait(),
                  s.act == Step::kDropMoveOnly ? DROPEFFECT_NONE : DROPEFFECT_COPY);
      }
      EXPECT_EQ(s.message.empty() ? L"" : CloseMessageBox(*karuvel_), s.message);
      if (!s.sent.empty()) sent.push_back(Ansi(s.sent));
      WaitUntil([&] { return host.Requests().size() >= sent.size(); });
      if (s.act >= Step::kSwitch) Sleep(300);  // what was not expected has had its time to show
      EXPECT_TRUE(WaitUntil([&] { return MessageBoxesOf(karuvel_->Pid()).empty() && LoadButtonsOn(); }));
      EXPECT_EQ(host.Requests(), sent);
      if (!s.sent.empty()) {
        EXPECT_EQ(ReadText(C(kText2)), s.sent);
        EXPECT_EQ(ReadText(C(kText1)), L"DSCP/1.3 200 OK" + s.sent.substr(s.sent.find(L"\r\n")));
      }
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(karuvel_->WaitExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
    EXPECT_TRUE(!unwritten || Take() == before);
  }

  std::wstring root_;
  std::optional<Karuvel> karuvel_;
};

TEST_F(Scenario, SwitchesAndDropsOnEveryKindOfControlWriteNothing) {
  // Well-formed packages whose paths the ANSI code page cannot hold: "é" only by a best fit.
  for (const std::wstring dir : {L"\\café", L"\\한국"}) {
    for (const wchar_t* sub : {L"", L"\\ABC", L"\\ABC\\DAT"}) CreateDirectoryW((root_ + dir + sub).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(root_ + dir + L"\\abc.psn", "psn") && WriteBytes(root_ + dir + L"\\ABC\\DAT\\aya00.out", "x"));
  }
  const std::wstring ugu = Path(kUguOwnDat), shared = Path(kUguSharedDat), psn = Path(kPsn), broken = Path(kUguNoData);
  const std::wstring cafe = root_ + L"\\café\\abc.psn", korean = root_ + L"\\한국\\abc.psn";
  using namespace expected;
  Run({{Step::kScript, 1},
       {Step::kSwitch, 0, {}, L"", Load(kETagFirst, shared)},
       {Step::kScript, 3},
       {Step::kSwitch, 0, {}, Expected(kPackageMalformed, broken)},
       {Step::kScript, 4},
       {Step::kSwitch, 0, {}, Expected(kPackageNotFound, Path(kUguMissing))},
       {Step::kNote, 1},
       {Step::kDrop, kLabel1, {psn}, L"", Load(kETagSecond, psn)},
       {Step::kDrop, kText2, {ugu}, L"", Load(kETagSecond, ugu)},
       {Step::kDrop, 0, {psn, ugu}, Expected(kSeveralFiles)},
       {Step::kDropText, kCbo切替スクリプト},
       {Step::kDrop, kLabel2, {L""}},  // one empty name is no file
       {Step::kDrop, kFraパネル, {broken}, Expected(kPackageMalformed, broken)},
       {Step::kDrop, kCmd切替, {cafe}, Expected(kPackageRefused, cafe)},
       {Step::kDrop, kLblVersion, {korean}, Expected(kPackageRefused, korean)},
       {Step::kDropMoveOnly, kCbo切替対象, {shared}, L"", Load(kETagSecond, shared)},
       {Step::kNote, 0},
       {Step::kScript, 0},
       {Step::kSwitch, 0, {}, L"", Load(kETagFirst, ugu)},  // the history entry, not the last drop
       {Step::kNote, -1},
       {Step::kDrop, kText1, {psn}},  // no note chosen: nothing at all
       {Step::kSwitch}},
      ZMemoHost(Known()), KaruvelExePath(), true);
}

TEST_F(Scenario, RefusalsBeforeAnyRequest) {
  const std::wstring notRunning = Expected(expected::kZMemoNotRunning), noLibrary = Expected(expected::kNoLibrary);
  Run({{Step::kSwitch, 0, {}, notRunning}, {Step::kDrop, kLabel1, {Path(kPsn), Path(kUguOwnDat)}, notRunning}},
      ZMemoHost(L"--no-mutex"));
  const std::wstring exe = root_ + L"\\karuvel.exe";  // without chc_dscp.dll beside it
  ASSERT_TRUE(CopyFileW(KaruvelExePath().c_str(), exe.c_str(), FALSE));
  Run({{Step::kSwitch, 0, {}, noLibrary}, {Step::kDrop, kLabel1, {Path(kPsn)}, noLibrary}}, ZMemoHost(Known()), exe);
}

TEST_F(Scenario, ElevatedZMemoAndTheNoCommandResult) {
  ZMemoHost host(L"--guarded-mutex" + Known());
  const UniqueHandle opened(OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex"));
  ASSERT_EQ(opened ? ERROR_SUCCESS : GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // not vacuous
  SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", L"-1");
  Run({{Step::kSwitch, 0, {}, Expected(expected::kNoCommand), Load(kETagFirst, Path(kUguOwnDat))}}, host);
}

// While a request blocks the window's thread the drag source has its answer already; a drop into
// a load under way is ignored.
TEST_F(Scenario, DropsNeverWaitOnALoad) {
  const std::wstring holdName = L"KaruvelHold" + std::to_wstring(GetCurrentProcessId());
  const UniqueHandle hold(CreateEventW(nullptr, FALSE, FALSE, holdName.c_str()));
  ZMemoHost host(L"--hold-event " + holdName + Known());
  ASSERT_TRUE(karuvel_.emplace().Start() && karuvel_->WaitReady(2));
  EXPECT_EQ(Drop(CentreOf(C(kLabel1)), {Path(kPsn)}).Wait(), DROPEFFECT_COPY);
  ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == 1; }));
  EXPECT_FALSE(IsEnabled(C(kCmd切替)));
  SetEvent(hold.Get());
  ASSERT_TRUE(WaitUntil([&] { return LoadButtonsOn(); }));
  EXPECT_EQ(host.Requests()[0], Ansi(Load(kETagFirst, Path(kPsn))));

  Choose(C(kCbo切替スクリプト), 3);  // broken: the switch stops at its message with the buttons off
  Click(C(kCmd切替));
  HWND box = karuvel_->WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Drop(CentreOf(C(kLabel2)), {Path(kPsn)}).Wait(), DROPEFFECT_COPY);
  Sleep(300);
  EXPECT_EQ(MessageBoxesOf(karuvel_->Pid()).size(), 1u);
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsOn(); }));
  Sleep(300);
  EXPECT_EQ(host.Requests().size(), 1u);
}

}  // namespace
}  // namespace karuvel::e2e
