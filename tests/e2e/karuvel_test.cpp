// karuvel.exe driven from another process as a user would: start-up, the window, closing, one
// instance at a time, and sessions against the stand-in ZMemo host on the demo installation.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "common/dpi.h"
#include "karuvel_driver.h"
#include "shell/control_ids.h"
#include "standins/zmemo_host/demo_layout.h"
#include "tests/expected_messages.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using namespace zmemo_demo;
using Entries = std::vector<std::wstring>;

// Paths with Shift-JIS trail bytes 0x5C ("ソ", "表") must survive the ANSI edge.
const std::wstring kScriptA = L"C:\\ソフト\\表示.ugu";

// A ZMemo root of the test's own name with three notes, and the karuvel.exe under test.
class KaruvelWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshRoot(false);
    SetZMemoRoot(root_);
    WriteMemo(Ansi(L"[Memo]\r\n3_ScriptEnableDscpServer=true\r\n3_ETag=ETAG-3\r\n3_WatermarkHistory-000=" + kScriptA +
                   L"\r\n3_ScriptFileName=" + kScriptA + L"\r\n8_ScriptEnableDscpServer=TRUE\r\n8_ETag=付箋8\r\n"
                   L"5_ScriptEnableDscpServer=true\r\n5_ETag=ETAG-5\r\n"));
  }
  void FreshRoot(bool demo) {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(std::wstring(name.begin(), name.end()), demo);
  }
  void WriteMemo(const std::string& bytes) { ASSERT_TRUE(WriteBytes(MemoIniOf(root_), bytes)); }
  HWND C(int id) const {
    HWND control = karuvel_->Control(id);
    if (!control) ADD_FAILURE() << "no control " << id;
    return control;
  }
  bool LoadButtonsOn() const {
    return IsWindowEnabled(C(kCmd切替)) && IsWindowEnabled(C(kCmd再読み込み)) && IsWindowEnabled(C(kCmd終了));
  }

  std::wstring root_;
  std::optional<Karuvel> karuvel_;
};

// Without ZMemo's key. A memo.ini with no note to switch ends start-up the same way, with its own
// message (the handler tests).
TEST_F(KaruvelWindow, StartupFailureShowsItsMessageOverTheCollapsedWindowThenEnds) {
  SetZMemoRoot(std::nullopt);
  const Karuvel karuvel;
  ASSERT_TRUE(karuvel.WaitMessageBox());
  EXPECT_EQ(OuterSize(karuvel.Window()).cy, 195);
  EXPECT_FALSE(IsWindowEnabled(karuvel.Control(kReplyBox)) || IsWindowEnabled(karuvel.Control(kRequestBox)));
  EXPECT_TRUE(ListEntries(karuvel.Control(kCbo切替対象)).empty() && MutexExists("TKaruvelWndMutex"));
  EXPECT_EQ(karuvel.CloseMessageBox(), Expected(expected::kNotInstalled));
  EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0));  // and no other message on the way
}

TEST_F(KaruvelWindow, TheWindowAtStartAndAReloadThatFindsNoNote) {
  SetZMemoRoot(root_ + L"\\");  // a Root ending in "\" is used as it stands
  HWND window = karuvel_.emplace().WaitReady(3);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), (Entries{L"ETAG-3", L"付箋8", L"ETAG-5"}));
  // The texts start-up sets: the version, and each list's chosen entry. The fixed captions, the
  // containers and the places the Win32 test checks.
  EXPECT_EQ(ReadText(C(kLblVersion)) + L"|" + ReadText(C(kCbo切替対象)) + L"|" + ReadText(C(kCbo切替スクリプト)),
            L"Ver." KARUVEL_PROJECT_VERSION L"|ETAG-3|" + kScriptA);  // project()'s version, as the zip's name

  // A reload that finds no note at all, which the program outlives.
  WriteMemo("3_ScriptEnableDscpServer=false\r\n3_ETag=ETAG-3\r\n");
  Click(C(kCmd再読み込み));
  ASSERT_TRUE(karuvel_->WaitMessageBox());
  Send(window, WM_ACTIVATE, WA_INACTIVE);  // the user turns to another program, and back once the box is gone:
  EXPECT_EQ(karuvel_->CloseMessageBox(), Expected(expected::kNoSwitchableNote));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == C(kCmd再読み込み); }));  // the focus is where it was
  EXPECT_TRUE(ListEntries(C(kCbo切替対象)).empty() && ListEntries(C(kCbo切替スクリプト)).empty());
  EXPECT_TRUE(karuvel_->Settle());  // the program lives on
  Click(C(kCmd終了));
  EXPECT_EQ(karuvel_->WaitExit(), std::optional<DWORD>(0));
}

// Started minimised at 120 DPI, as a shortcut and the display settings can ask: no control has the
// focus until the window is restored, at the size its twips give at that DPI. Started maximised, it
// is not.
TEST_F(KaruvelWindow, StartsAsItsShortcutAndTheScreenAsk) {
  // LogPixels, read by Karuvel when it starts (the test program keeps its own DPI): 120 until the
  // window is up, then the session's 96 again, also when the test ends sooner.
  struct Dpi {
    static void Set(DWORD d) { RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &d, sizeof d); }
    ~Dpi() { Set(96); }
  } restore;
  Dpi::Set(120);
  HWND window = karuvel_.emplace(BuildDir() + L"karuvel.exe", L"", SW_SHOWMINIMIZED).WaitReady(3);
  Dpi::Set(96);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsIconic(window) && karuvel_->Settle());
  EXPECT_NE(FocusOf(window), C(kCbo切替対象));
  PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && FocusOf(window) == C(kCbo切替対象); }));
  const SIZE size = OuterSize(window);
  EXPECT_TRUE(size.cx == TwipsToPixels(6240, 120) && size.cy == TwipsToPixels(2925, 120)) << size.cx << "x" << size.cy;
  // A shortcut set to maximise opens it at its own size: the window has no maximised state.
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(karuvel_->WaitExit(), std::optional<DWORD>(0));
  ASSERT_NE(karuvel_.emplace(BuildDir() + L"karuvel.exe", L"", SW_SHOWMAXIMIZED).WaitReady(3), nullptr);
  EXPECT_FALSE(IsZoomed(karuvel_->Window()));
}

// ZMemo installed under Program Files and run without administrator rights: Windows keeps what it
// writes there in the user's VirtualStore and shows ZMemo that copy; run as administrator, ZMemo
// writes in place. The copy written last is the one read, at start-up and at every reload.
TEST_F(KaruvelWindow, ReadsTheMemoIniZMemoWroteLastUnderProgramFiles) {
  wchar_t programFiles[MAX_PATH], local[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles)) &&
              SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)));
  const std::wstring root = programFiles + (L"\\KaruvelZMemo" + std::to_wstring(GetCurrentProcessId())),
                     inPlace = MemoIniOf(root), copy = local + (L"\\VirtualStore" + inPlace.substr(2));
  for (const std::wstring& file : {inPlace, copy}) std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  DeleteFileW(inPlace.c_str());  // left by an earlier run
  // memo.ini with one note of `etag`, written after the others (a tie reads the copy: no case here
  // expects the file in place then).
  const auto write = [](const std::wstring& path, const wchar_t* etag) {
    ASSERT_TRUE(WriteBytes(path, Ansi(L"1_ScriptEnableDscpServer=true\r\n1_ETag=" + std::wstring(etag) + L"\r\n")));
  };
  SetZMemoRoot(root);
  write(copy, L"仮想1");  // the copy alone: Karuvel starts on it
  HWND window = karuvel_.emplace().WaitReady(1);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), Entries{L"仮想1"});
  for (const auto& [path, etag] : {std::pair{inPlace, L"本体"}, {copy, L"仮想2"}}) {
    write(path, etag);
    Click(C(kCmd再読み込み));
    EXPECT_TRUE(karuvel_->Settle());
    EXPECT_EQ(ListEntries(C(kCbo切替対象)), Entries{etag});
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(karuvel_->WaitExit(), std::optional<DWORD>(0));
  // With a stale file in place, as ZMemo run once as administrator leaves it.
  ASSERT_NE(karuvel_.emplace().WaitReady(1), nullptr);
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), Entries{L"仮想2"});
}

// WM_CLOSE ends every scenario below.
TEST_F(KaruvelWindow, ClosingByAnyMeansEndsTheProgramAndOnlyOneOfSimultaneousLaunchesRuns) {
  for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE}, {WM_ENDSESSION, TRUE}}) {
    const Karuvel karuvel;
    ASSERT_TRUE(karuvel.WaitReady(3));
    PostMessageW(karuvel.Window(), WM_ENDSESSION, FALSE, 0);  // a shutdown called off ends nothing
    EXPECT_TRUE(karuvel.Settle());
    PostMessageW(karuvel.Window(), message, wParam, 0);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0)) << message;
  }
  const Karuvel launched[5];
  const auto running = [&] { return std::count_if(launched, launched + 5, [](auto& k) { return k.Running(); }); };
  ASSERT_TRUE(WaitUntil([&] { return running() == 1; }, 20000));
  for (const Karuvel& k : launched) EXPECT_TRUE(k.Running() ? k.WaitReady(3) != nullptr : k.WaitExit(0) == 0u);
}

std::wstring Load(const std::wstring& etag, const std::wstring& path) {
  return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + path + L"\r\n\r\n";
}
// The host's answer to the LOAD of a note it knows: the request's lines under its status line.
std::wstring Loaded(const std::wstring& request) { return L"DSCP/1.3 200 OK" + request.substr(13); }

struct Step {
  enum Act { kNote, kScript, kSwitch, kDrop, kLibraryBeside /*chc_dscp.dll copied beside the program*/ } act;
  int arg = 0;  // a list position, or the control a drop aims at
  std::vector<std::wstring> drop = {};  // DragAndDrop's arguments
  std::wstring message = {};  // the one message box that follows, "" for none
  std::wstring sent = {};     // the request shown in 送信文字列 and, with the library there, sent; "" for none
};

// Sessions on the demo installation, one row per step with what must follow it. After every step
// the runner checks what every step owes: the one message box expected (see CloseMessageBox) or
// none, the load buttons on again, the host's log holding exactly the requests expected so far, and
// both boxes: a choice empties them, a request shows itself and the host's answer (none without the library),
// and anything else leaves them as they were.
class Scenario : public KaruvelWindow {
 protected:
  void SetUp() override {
    FreshRoot(true);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"30000");
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", nullptr);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_ONLY_IN", nullptr);
  }
  static constexpr wchar_t kLibrary[] = L"\\chc_dscp.dll";
  // The demo's notes known to the host, so that it answers without touching memo.ini as ZMemo would.
  static std::wstring Known() { return L" --etag \"\\\"zm-0001-表\\\"\" --etag \"\\\"zm-0002\\\"\""; }
  std::wstring Path(const wchar_t* relative) const { return root_ + relative; }
  // The steps in the expanded view of the program `exe` started in `dir`. The library is found
  // beside the program or in ZMemo's folder.
  void Run(const std::vector<Step>& steps, const ZMemoHost& host, const std::wstring& exe = BuildDir() + L"karuvel.exe",
           const std::wstring& dir = L"") {
    ASSERT_TRUE(host.Started());
    HWND window = karuvel_.emplace(exe, dir).WaitReady(2);
    ASSERT_NE(window, nullptr);
    Click(C(kCmd詳細));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(C(kReplyBox)); }));
    const std::wstring beside = exe.substr(0, exe.rfind(L'\\')) + kLibrary;
    const auto exists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    bool library = exists(beside) || exists(root_ + kLibrary);
    std::vector<std::string> sent;
    std::wstring request, reply;  // what 送信文字列 and 受信文字列 show
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      if (s.act == Step::kNote || s.act == Step::kScript) Choose(C(s.act == Step::kNote ? kCbo切替対象 : kCbo切替スクリプト), s.arg);
      if (s.act == Step::kSwitch) Click(C(kCmd切替));
      // The source has its answer before anything the drop causes, its message box included. The bar
      // lies on the bare window.
      if (s.act == Step::kLibraryBeside) library = CopyFileW((BuildDir() + kLibrary).c_str(), beside.c_str(), FALSE);
      if (s.act == Step::kDrop) {
        const int effect = Drop(CentreOf(C(s.arg ? s.arg : kTitleBar)), s.drop);
        EXPECT_EQ(effect, std::count(s.drop.begin(), s.drop.end(), L"--move-only") ? DROPEFFECT_NONE : DROPEFFECT_COPY);
      }
      EXPECT_EQ(s.message.empty() ? L"" : karuvel_->CloseMessageBox(), s.message);
      if (s.act <= Step::kScript || !s.sent.empty())  // a choice empties both boxes
        request = s.sent, reply = !library || s.sent.empty() ? L"" : Loaded(s.sent);
      if (!s.sent.empty() && library) sent.push_back(Ansi(s.sent));
      // Whatever the step caused has been handled, so what was not expected has shown.
      EXPECT_TRUE(karuvel_->Settle());
      EXPECT_TRUE(karuvel_->MessageBoxes().empty() && LoadButtonsOn());
      EXPECT_EQ(host.Requests(), sent);
      EXPECT_EQ(ReadText(C(kRequestBox)), request);
      EXPECT_EQ(ReadText(C(kReplyBox)), reply);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(karuvel_->WaitExit(), std::optional<DWORD>(0));
  }
};

TEST_F(Scenario, SwitchesAndDropsOnEveryKindOfControl) {
  const std::wstring ugu = Path(kUguOwnDat), shared = Path(kUguSharedDat), psn = Path(kPsn), broken = Path(kUguNoData);
  using namespace expected;
  Run({{Step::kScript, 1},
       {Step::kSwitch, 0, {}, L"", Load(kETagFirst, shared)},
       {Step::kNote, 1},
       {Step::kDrop, kNoteListName, {psn}, L"", Load(kETagSecond, psn)},
       {Step::kScript, 0},
       {Step::kDrop, kRequestBox, {ugu}, L"", Load(kETagSecond, ugu)},
       {Step::kDrop, kCmd切替, {psn, ugu}, Expected(kSeveralFiles)},
       {Step::kDrop, kLblVersion, {L"--text", L"LOAD"}},  // no file
       {Step::kDrop, kFraパネル, {broken}, Expected(kPackageMalformed, broken)},
       {Step::kDrop, kCbo切替対象, {L"--hover", L"--move-only", shared}, L"", Load(kETagSecond, shared)},
       {Step::kNote, -1},
       {Step::kDrop, kReplyBox, {psn}},  // no note chosen: nothing at all
       {Step::kSwitch}},
      ZMemoHost(Known()));
}

TEST_F(Scenario, RefusalsBeforeAnyRequest) {
  const std::wstring notRunning = Expected(expected::kZMemoNotRunning), noLibrary = Expected(expected::kNoLibrary);
  Run({{Step::kSwitch, 0, {}, notRunning}, {Step::kDrop, kNoteListName, {Path(kPsn), Path(kUguOwnDat)}, notRunning}},
      ZMemoHost(L"--no-mutex"));
  // The program alone in a folder of its own: the library only in the folder it is started in is
  // not loaded; in neither folder, it is looked for again at the next request.
  const std::wstring app = root_ + L"\\app", exe = app + L"\\karuvel.exe", ugu = Load(kETagFirst, Path(kUguOwnDat));
  CreateDirectoryW(app.c_str(), nullptr);
  DeleteFileW((app + kLibrary).c_str()), DeleteFileW(Path(kLibrary).c_str());  // left by an earlier run
  ASSERT_TRUE(CopyFileW((BuildDir() + L"karuvel.exe").c_str(), exe.c_str(), FALSE));
  Run({{Step::kSwitch, 0, {}, noLibrary, ugu}}, ZMemoHost(Known()), exe, BuildDir());
  Run({{Step::kDrop, kNoteListName, {Path(kPsn)}, noLibrary, Load(kETagFirst, Path(kPsn))},
       {Step::kLibraryBeside},
       {Step::kSwitch, 0, {}, L"", ugu}}, ZMemoHost(Known()), exe);
  // In both folders ZMemo's own copy answers; the one beside the program would refuse.
  ASSERT_TRUE(CopyFileW((BuildDir() + kLibrary).c_str(), Path(kLibrary).c_str(), FALSE));
  SetEnvironmentVariableW(L"KARUVEL_DSCP_ONLY_IN", root_.c_str());
  Run({{Step::kSwitch, 0, {}, L"", ugu}}, ZMemoHost(Known()), exe);
}

// ZMemo run elevated or as another user guards its mutex: ZMemo runs all the same, and the result
// the library gives after a completed exchange shows its message over the reply.
TEST_F(Scenario, ElevatedZMemoAndTheNoCommandResult) {
  ZMemoHost host(L"--guarded-mutex" + Known());
  const UniqueHandle opened(OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex"));
  ASSERT_EQ(opened ? ERROR_SUCCESS : GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // not vacuous
  SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", L"-1");
  Run({{Step::kSwitch, 0, {}, Expected(expected::kNoCommand), Load(kETagFirst, Path(kUguOwnDat))}}, host);
}

// Keys pressed on the window in front, each with the control that has the focus once it is handled
// (so the keys before it have been handled too, and the control is still there); a key that moves
// the focus must start elsewhere.
testing::AssertionResult Keys(const Karuvel& karuvel, std::initializer_list<std::tuple<WORD, WORD, int>> rows) {
  HWND window = karuvel.Window();
  for (const auto& [key, held, then] : rows) {
    HWND target = karuvel.Control(then);
    if (!target || (FocusOf(window) == target && (key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN))))
      return testing::AssertionFailure() << "before key " << key << " control " << then << " is gone or has the focus";
    Press(key, held);
    if (!WaitUntil([&] { return FocusOf(window) == target; }))
      return testing::AssertionFailure() << "after key " << key << " the focus is not on " << then;
  }
  return testing::AssertionSuccess();
}
constexpr WORD kNone = 0, kShift = VK_SHIFT;

// Real key presses on the window in front: Tab and Shift+Tab run through every enabled control and
// out of the text boxes, the arrow keys keep to the row of buttons, Esc in a text box changes
// nothing, Space and Enter press the focused button and nothing elsewhere, and a switch or a drop
// leaves the focus where it was.
TEST_F(Scenario, TheKeyboardAlone) {
  const ZMemoHost host(Known());
  HWND window = karuvel_.emplace().WaitReady(2);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window && FocusOf(window) == C(kCbo切替対象); }));
  const int script = kCbo切替スクリプト, note = kCbo切替対象, details = kCmd詳細, load = kCmd切替, reload = kCmd再読み込み,
            exit = kCmd終了, request = kRequestBox, reply = kReplyBox;
  // Collapsed, the text boxes are passed by; Space on 詳細 expands.
  EXPECT_TRUE(Keys(*karuvel_, {{VK_TAB, kNone, script}, {VK_TAB, kNone, details}, {VK_TAB, kNone, load}, {VK_TAB, kNone, reload},
                               {VK_RIGHT, kNone, exit}, {VK_DOWN, kNone, load}, {VK_LEFT, kNone, exit}, {VK_TAB, kNone, note},
                               {VK_TAB, kShift, exit}, {VK_TAB, kShift, reload}, {VK_TAB, kShift, load},
                               {VK_TAB, kShift, details}, {VK_SPACE, kNone, details}}));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 379; }));
  // Expanded, through both text boxes and out of them both ways; Esc in each changes nothing.
  EXPECT_TRUE(Keys(*karuvel_, {{VK_TAB, kNone, load}, {VK_TAB, kNone, reload}, {VK_TAB, kNone, exit}, {VK_TAB, kNone, request},
                               {VK_ESCAPE, kNone, request}, {VK_TAB, kNone, reply}, {VK_ESCAPE, kNone, reply}, {VK_TAB, kNone, note},
                               {VK_TAB, kShift, reply}, {VK_TAB, kShift, request}, {VK_TAB, kShift, exit}, {VK_TAB, kNone, request},
                               {VK_TAB, kNone, reply}, {VK_TAB, kNone, note}, {VK_RETURN, kNone, note}, {VK_TAB, kNone, script}}));
  EXPECT_TRUE(host.Requests().empty() && karuvel_->MessageBoxes().empty());  // Enter on a list presses nothing
  // Enter on 切替 switches, also where an arrow key, not Tab, took the focus there, and a drop
  // loads; the focus is back on 切替 after both.
  EXPECT_TRUE(Keys(*karuvel_, {{VK_TAB, kNone, details}, {VK_TAB, kNone, load}, {VK_TAB, kNone, reload}, {VK_LEFT, kNone, load},
                               {VK_RETURN, kNone, load}}));
  EXPECT_TRUE(WaitUntil([&] { return host.Requests().size() == 1; }) && karuvel_->Settle());
  EXPECT_EQ(Drop(CentreOf(C(kTitleBar)), {Path(kPsn)}), DROPEFFECT_COPY);
  EXPECT_TRUE(WaitUntil([&] { return host.Requests().size() == 2; }) && karuvel_->Settle());
  EXPECT_EQ(host.Requests(), (std::vector<std::string>{Ansi(Load(kETagFirst, Path(kUguOwnDat))), Ansi(Load(kETagFirst, Path(kPsn)))}));
  EXPECT_TRUE(LoadButtonsOn() && FocusOf(window) == C(load));
  // (Ctrl+A: Wine's own edit selects everything on it already, so only Windows can tell.)
}

// While the window cannot take input, nothing waits to run later. With ZMemo's message up (and
// ZMemo started meanwhile) a drop is refused at the cursor. While ZMemo holds a request, the window
// shows it, read from the screen (the thread does not paint until the reply is back): the request,
// and the reply box emptied of the last reply; a drop is refused, and keys and clicks are gone with
// the wait: one press, one request, and the close box closes nothing. The drag source is never held.
TEST_F(Scenario, NothingWaitsBehindARequestOrAMessage) {
  const std::wstring holdName = L"KaruvelHold" + std::to_wstring(GetCurrentProcessId());
  const UniqueHandle hold(CreateEventW(nullptr, TRUE, FALSE, holdName.c_str()));  // holds every request until set
  ZMemoHost host(L"--no-mutex --hold-event " + holdName + Known());
  HWND window = karuvel_.emplace().WaitReady(2);
  ASSERT_NE(window, nullptr);
  const std::optional<POINT> closeBox = CloseBoxOf(window);
  ASSERT_TRUE(closeBox);
  Click(C(kCmd切替));
  ASSERT_TRUE(karuvel_->WaitMessageBox());
  const UniqueHandle zmemo(CreateMutexW(nullptr, FALSE, L"TMemoManWndMutex"));  // ZMemo starts
  EXPECT_EQ(Drop(CentreOf(C(kTitleBar)), {Path(kPsn)}), DROPEFFECT_NONE);
  EXPECT_EQ(karuvel_->CloseMessageBox(), Expected(expected::kZMemoNotRunning));
  EXPECT_TRUE(karuvel_->Settle() && karuvel_->MessageBoxes().empty() && host.Requests().empty());

  Click(C(kCmd詳細));
  SetForegroundWindow(window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window && IsWindowEnabled(C(kReplyBox)); }) && karuvel_->Settle());
  EXPECT_EQ(DarkPixels(C(kRequestBox)) + DarkPixels(C(kReplyBox)), 0);  // both boxes empty on the screen
  const std::string sent = Ansi(Load(kETagFirst, Path(kUguOwnDat)));
  for (const size_t request : {1, 2}) {
    SCOPED_TRACE("request " + std::to_string(request));
    ResetEvent(hold.Get());
    Click(C(kCmd切替));  // which leaves the focus there once the request is over
    ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == request; }));
    EXPECT_TRUE(WaitUntil([&] { return DarkPixels(C(kRequestBox)) > 0 && DarkPixels(C(kReplyBox)) == 0; }));
    ClickAt(CentreOf(C(kCmd切替))), ClickAt(*closeBox);  // queued as each call returns, whatever the thread does
    Press(VK_SPACE), Press(VK_RETURN);
    EXPECT_EQ(Drop(CentreOf(C(kNoteListName)), {Path(kPsn)}), DROPEFFECT_NONE);
    SetEvent(hold.Get());
    EXPECT_TRUE(WaitUntil([&] { return LoadButtonsOn() && FocusOf(window) == C(kCmd切替); }));
  }
  Press(VK_SPACE);  // read after whatever was typed before it
  EXPECT_TRUE(WaitUntil([&] { return host.Requests().size() >= 3; }) && karuvel_->Settle());
  EXPECT_EQ(host.Requests(), std::vector<std::string>(3, sent));
  EXPECT_EQ(ReadText(C(kReplyBox)), Loaded(Load(kETagFirst, Path(kUguOwnDat))));
  EXPECT_GT(DarkPixels(C(kReplyBox)), 0);  // the reply painted once the thread is back
}

}  // namespace
}  // namespace karuvel::e2e
