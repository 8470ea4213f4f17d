// Sessions of karuvel.exe against the stand-in ZMemo host on the demo installation, each step a row
// with what must follow it. After every step the runner checks what every step owes: the one
// message box expected (its text, caption "KARUVEL", OK only, owned by the window) or none, the
// three load buttons on again, and the host's log holding exactly the requests expected so far.
// A session leaves the current user's registry and every file under the root as they were.
#include <gtest/gtest.h>

#include <map>
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

std::wstring Message(const char* expected, const std::wstring& path = L"") {
  const std::string utf8(expected);
  std::wstring text(utf8.size(), L'\0');
  text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                      &text[0], static_cast<int>(text.size()))));
  const size_t at = text.find(L"{path}");
  return at == std::wstring::npos ? text : text.replace(at, 6, path);
}

std::wstring Load(const std::wstring& etag, const std::wstring& path) {
  return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + path + L"\r\n\r\n";
}

std::wstring OkReply(const std::wstring& request) {
  return L"DSCP/1.3 200 OK" + request.substr(request.find(L"\r\n"));
}

struct Step {
  enum Act { kNote, kScript, kSwitch, kDrop, kDropText, kDropMoveOnly } act;
  int arg = 0;                     // a list position; for drops the control aimed at (0: the bare window)
  std::vector<std::wstring> files = {};
  std::wstring message = {};       // the one message box that follows, "" for none
  std::wstring sent = {};          // the request ZMemo gets, "" for none
};

// Everything of a registry branch or a directory tree a writer would change, by path. Access times
// are left out: reading may change them.
using Snapshot = std::map<std::wstring, std::string>;

void TakeKey(HKEY parent, const std::wstring& name, const std::wstring& path, Snapshot& out) {
  UniqueKey key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
  FILETIME written{};
  RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &written);
  out[path] = std::to_string(written.dwLowDateTime) + "." + std::to_string(written.dwHighDateTime);
  wchar_t valueName[16384];
  BYTE data[65536];
  for (DWORD i = 0, n = 16384, size = sizeof data, type = 0;
       RegEnumValueW(key.Get(), i, valueName, &n, nullptr, &type, data, &size) == ERROR_SUCCESS;
       ++i, n = 16384, size = sizeof data)
    out[path + L"=" + valueName] = std::to_string(type) + std::string(reinterpret_cast<char*>(data), size);
  for (DWORD i = 0, n = 16384; RegEnumKeyExW(key.Get(), i, valueName, &n, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, n = 16384)
    TakeKey(key.Get(), valueName, path + L"\\" + valueName, out);
}

void TakeTree(const std::wstring& dir, Snapshot& out, bool deep = true) {
  WIN32_FIND_DATAW found;
  const UniqueFind search(FindFirstFileW((dir + L"\\*").c_str(), &found));
  for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.Get(), &found)) {
    const std::wstring name = found.cFileName, path = dir + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    out[path] = std::to_string(found.dwFileAttributes) + " " + std::to_string(found.ftLastWriteTime.dwLowDateTime) +
                " " + std::to_string(found.nFileSizeLow);
    if (deep && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) TakeTree(path, out);
  }
}

// The user's registry, ZMemo's root, the roaming profile and the program's own folder.
Snapshot TakeSnapshot(const std::wstring& root) {
  Snapshot s;
  TakeKey(HKEY_CURRENT_USER, L"Software", L"HKCU", s);
  TakeTree(root, s);
  wchar_t appData[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH)) TakeTree(appData, s);
  TakeTree(StandinDir().substr(0, StandinDir().size() - 1), s, false);
  return s;
}

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(std::wstring(name.begin(), name.end()), true);
    UseFreshPort();
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"3000");
  }
  // The demo's notes known to the host, which then answers without touching memo.ini as ZMemo
  // would: every change to the files is Karuvel's.
  static std::wstring Known() {
    return L" --etag \"\\\"zm-0001-表\\\"\" --etag \"\\\"zm-0002\\\"\"";
  }
  std::wstring Path(const wchar_t* relative) const { return root_ + relative; }
  HWND C(int id) const { return karuvel_.Control(id); }
  bool LoadButtonsOn() const {
    return IsEnabled(C(kCmd切替)) && IsEnabled(C(kCmd再読み込み)) && IsEnabled(C(kCmd終了));
  }

  // The steps in the expanded view; with `unwritten`, the registry and files are compared after.
  void Run(const std::vector<Step>& steps, const ZMemoHost& host, const std::wstring& exe = KaruvelExePath(),
           bool unwritten = false) {
    ASSERT_TRUE(host.Started());
    const Snapshot before = unwritten ? TakeSnapshot(root_) : Snapshot();
    ASSERT_TRUE(karuvel_.Start(exe));
    HWND window = karuvel_.WaitReady(2);
    ASSERT_NE(window, nullptr);
    Click(C(kCmd詳細));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(C(kText1)); }));
    std::vector<std::string> sent;
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      SetEditText(C(kText1), L"");
      SetEditText(C(kText2), L"");
      const POINT at = s.arg ? CentreOf(C(s.arg)) : POINT{0, 0};
      std::unique_ptr<Drop> drop;
      switch (s.act) {
        case Step::kNote: Choose(C(kCbo切替対象), s.arg); break;
        case Step::kScript: Choose(C(kCbo切替スクリプト), s.arg); break;
        case Step::kSwitch: Click(C(kCmd切替)); break;
        case Step::kDrop: drop = std::make_unique<Drop>(s.arg ? at : CentreOf(C(kShape1)), s.files); break;
        case Step::kDropText: drop = std::make_unique<Drop>(at, std::vector<std::wstring>{L"LOAD"}, L"--text"); break;
        case Step::kDropMoveOnly: drop = std::make_unique<Drop>(at, s.files, L"--move-only"); break;
      }
      // The source has its answer before anything the drop causes, its message box included.
      if (drop) {
        EXPECT_EQ(drop->Wait(), s.act == Step::kDropMoveOnly ? DROPEFFECT_NONE : DROPEFFECT_COPY);
      }
      if (!s.message.empty()) {
        HWND box = karuvel_.WaitMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), s.message);
        EXPECT_EQ(ReadText(box), L"KARUVEL");
        EXPECT_EQ(GetWindow(box, GW_OWNER), window);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        PressOk(box);
      }
      if (!s.sent.empty()) sent.push_back(Ansi(s.sent));
      WaitUntil([&] { return host.Requests().size() >= sent.size(); });
      EXPECT_TRUE(WaitUntil([&] { return MessageBoxesOf(karuvel_.Pid()).empty() && LoadButtonsOn(); }));
      if (s.act >= Step::kSwitch) Sleep(300);  // what was not expected has had its time to show
      EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
      EXPECT_EQ(host.Requests(), sent);
      if (!s.sent.empty()) {
        EXPECT_EQ(ReadText(C(kText2)), s.sent);
        EXPECT_EQ(ReadText(C(kText1)), OkReply(s.sent));
      }
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(karuvel_.WaitExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
    if (!unwritten) return;
    const Snapshot after = TakeSnapshot(root_);
    for (const auto& [path, state] : after)
      EXPECT_EQ(before.count(path) ? before.at(path) : "(new)", state) << Utf8Of(path);
    EXPECT_EQ(before.size(), after.size());
  }

  std::wstring root_;
  Karuvel karuvel_;
};

TEST_F(Scenario, SwitchesAndDropsOnEveryKindOfControl) {
  // Well-formed packages whose paths the ANSI code page cannot hold: "é" only by a best fit.
  for (const std::wstring dir : {L"\\café", L"\\한국"}) {
    for (const wchar_t* sub : {L"", L"\\ABC", L"\\ABC\\DAT"}) CreateDirectoryW((root_ + dir + sub).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(root_ + dir + L"\\abc.psn", "psn") && WriteBytes(root_ + dir + L"\\ABC\\DAT\\aya00.out", "x"));
  }
  const std::wstring ugu = Path(kUguOwnDat), shared = Path(kUguSharedDat), psn = Path(kPsn);
  const std::wstring broken = Path(kUguNoData), gone = Path(kUguMissing);
  const std::wstring cafe = root_ + L"\\café\\abc.psn", korean = root_ + L"\\한국\\abc.psn";
  using namespace expected;
  const std::vector<Step> steps = {
      {Step::kScript, 1},
      {Step::kSwitch, 0, {}, L"", Load(kETagFirst, shared)},
      {Step::kScript, 3},
      {Step::kSwitch, 0, {}, Message(kPackageMalformed, broken)},
      {Step::kScript, 4},
      {Step::kSwitch, 0, {}, Message(kPackageNotFound, gone)},
      {Step::kNote, 1},
      {Step::kDrop, kLabel1, {psn}, L"", Load(kETagSecond, psn)},
      {Step::kDrop, kText2, {ugu}, L"", Load(kETagSecond, ugu)},
      {Step::kDrop, 0, {psn, ugu}, Message(kSeveralFiles)},       // the bar, over the bare window
      {Step::kDropText, kCbo切替スクリプト},
      {Step::kDrop, kLabel2, {L""}},  // one empty name is no file
      {Step::kDrop, kFraパネル, {broken}, Message(kPackageMalformed, broken)},
      {Step::kDrop, kCmd切替, {cafe}, Message(kPackageRefused, cafe)},
      {Step::kDrop, kLblVersion, {korean}, Message(kPackageRefused, korean)},
      {Step::kDropMoveOnly, kCbo切替対象, {shared}, L"", Load(kETagSecond, shared)},
      {Step::kNote, 0},
      {Step::kScript, 0},
      {Step::kSwitch, 0, {}, L"", Load(kETagFirst, ugu)},  // the history entry, not the last drop
      {Step::kNote, -1},
      {Step::kDrop, kText1, {psn}},  // no note chosen: nothing at all
      {Step::kSwitch},
  };
  Run(steps, ZMemoHost(Known()), KaruvelExePath(), true);
}

TEST_F(Scenario, ZMemoNotRunningRefusesBeforeAnythingElse) {
  const std::wstring message = Message(expected::kZMemoNotRunning);
  Run({{Step::kSwitch, 0, {}, message}, {Step::kDrop, kLabel1, {Path(kPsn), Path(kUguOwnDat)}, message}},
      ZMemoHost(L"--no-mutex"));
}

TEST_F(Scenario, ElevatedZMemoIsFoundThoughItsMutexRefusesUs) {
  ZMemoHost host(L"--guarded-mutex" + Known());
  const UniqueHandle opened(OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex"));
  const DWORD error = opened ? ERROR_SUCCESS : GetLastError();
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));  // else any switch would pass
  Run({{Step::kSwitch, 0, {}, L"", Load(kETagFirst, Path(kUguOwnDat))}}, host);
}

TEST_F(Scenario, NoCommandIsShownBeforeTheReply) {
  SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", L"-1");
  Run({{Step::kSwitch, 0, {}, Message(expected::kNoCommand), Load(kETagFirst, Path(kUguOwnDat))}},
      ZMemoHost(Known()));
  SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", nullptr);
}

TEST_F(Scenario, MissingLibraryIsReported) {
  const std::wstring dir = root_ + L"\\no-library", exe = dir + L"\\karuvel.exe";
  CreateDirectoryW(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(KaruvelExePath().c_str(), exe.c_str(), FALSE));
  Run({{Step::kSwitch, 0, {}, Message(expected::kNoLibrary)}, {Step::kDrop, kLabel1, {Path(kPsn)},
       Message(expected::kNoLibrary)}}, ZMemoHost(Known()), exe);
}

// While a request blocks the window's thread, the drag source already has its answer; a drop
// into a load under way is ignored.
TEST_F(Scenario, DropsNeverWaitOnALoad) {
  SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"30000");
  ReplyHold hold;
  ZMemoHost host(hold.Option() + Known());
  ASSERT_TRUE(karuvel_.Start());
  ASSERT_NE(karuvel_.WaitReady(2), nullptr);
  Drop held(CentreOf(C(kLabel1)), {Path(kPsn)});
  EXPECT_EQ(held.Wait(), DROPEFFECT_COPY);
  ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == 1; }));
  EXPECT_FALSE(IsEnabled(C(kCmd切替)));
  hold.Release();
  ASSERT_TRUE(WaitUntil([&] { return LoadButtonsOn(); }));
  EXPECT_EQ(ReadText(C(kText1)), OkReply(Load(kETagFirst, Path(kPsn))));

  Choose(C(kCbo切替スクリプト), 3);  // broken: the switch stops at its message, buttons off
  Click(C(kCmd切替));
  HWND box = karuvel_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  Drop ignored(CentreOf(C(kLabel2)), {Path(kPsn)});
  EXPECT_EQ(ignored.Wait(), DROPEFFECT_COPY);
  Sleep(300);
  EXPECT_EQ(MessageBoxesOf(karuvel_.Pid()).size(), 1u);
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsOn(); }));
  Sleep(300);
  EXPECT_EQ(host.Requests().size(), 1u);
  SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", nullptr);
}

}  // namespace
}  // namespace karuvel::e2e
