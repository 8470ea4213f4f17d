// The main window and start-up, driven from outside as a user would.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "karuvel_driver.h"
#include "shell/control_ids.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using Entries = std::vector<std::wstring>;

const std::wstring kStartupFailure =
    L"ZMemoがインストールされていないか、または一度も起動されていません。\r"
    L"ZMemoを起動した後に実行してください。";
const std::wstring kNoNotes =
    L"切替可能な付箋がありません。\r"
    L"付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";

// Paths with Shift-JIS trail bytes 0x5C ("ソ", "表") must survive the ANSI edge.
const std::wstring kScriptA = L"C:\\ソフト\\表示.ugu";
const std::wstring kScriptB = L"C:\\S\\b.psn";
const std::wstring kScriptC = L"C:\\S\\c.ugu";

std::string ThreeNotes() {
  return Ansi(L"[Memo]\r\n"
              L"3_ScriptEnableDscpServer=true\r\n"
              L"3_ETag=ETAG-3\r\n"
              L"3_WatermarkHistory-000=" + kScriptA + L"\r\n"
              L"3_ScriptFileName=" + kScriptA + L"\r\n"
              L"8_ScriptEnableDscpServer=TRUE\r\n"
              L"8_ETag=付箋8\r\n"
              L"8_WatermarkHistory-000=" + kScriptB + L"\r\n"
              L"8_WatermarkHistory-001=" + kScriptA + L"\r\n"
              L"8_ScriptFileName=" + kScriptC + L"\r\n"
              L"5_ScriptEnableDscpServer=true\r\n"
              L"5_ETag=ETAG-5\r\n"
              L"6_ETag=ETAG-6\r\n");
}

class KaruvelWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(std::wstring(name.begin(), name.end()));
    SetZMemoRoot(root_);
  }
  void WriteMemo(const std::string& bytes) { ASSERT_TRUE(WriteBytes(MemoIniOf(root_), bytes)); }

  // Launches with three notes and waits for the lists.
  HWND StartNormally() {
    WriteMemo(ThreeNotes());
    if (!karuvel_.Start()) return nullptr;
    return karuvel_.WaitReady(3);
  }
  HWND C(int id) const { return karuvel_.Control(id); }

  std::wstring root_;
  Karuvel karuvel_;
};

TEST_F(KaruvelWindow, StartupFailureOverTheCollapsedWindowThenTheEnd) {
  struct Case {
    const char* name;
    bool keyPresent;
    bool emptyRoot;
    bool memoPresent;
    DWORD memoAttributes;
  };
  const Case cases[] = {
      {"no ZMemo key", false, false, true, FILE_ATTRIBUTE_NORMAL},
      {"empty Root", true, true, true, FILE_ATTRIBUTE_NORMAL},
      {"no memo.ini", true, false, false, FILE_ATTRIBUTE_NORMAL},
      {"hidden memo.ini", true, false, true, FILE_ATTRIBUTE_HIDDEN},
      {"system memo.ini", true, false, true, FILE_ATTRIBUTE_SYSTEM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetZMemoRoot(c.keyPresent ? std::optional<std::wstring>(c.emptyRoot ? L"" : root_) : std::nullopt);
    SetFileAttributesW(MemoIniOf(root_).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(MemoIniOf(root_).c_str());
    if (c.memoPresent) {
      WriteMemo(ThreeNotes());
      ASSERT_TRUE(SetFileAttributesW(MemoIniOf(root_).c_str(), c.memoAttributes));
    }
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start());
    HWND box = karuvel.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    HWND window = MainWindowOf(karuvel.Pid());
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(MessageBoxText(box), kStartupFailure);
    EXPECT_EQ(ReadText(box), L"KARUVEL");
    EXPECT_EQ(GetWindow(box, GW_OWNER), window);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(ReadText(karuvel.Control(kLblVersion)), L"Ver.0.15");
    EXPECT_EQ(OuterSize(window).cy, 195);
    EXPECT_FALSE(IsEnabled(karuvel.Control(kText1)));
    EXPECT_FALSE(IsEnabled(karuvel.Control(kText2)));
    EXPECT_TRUE(MutexExists("TKaruvelWndMutex"));

    PressOk(box);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
  }
}

// Another handle on memo.ini that shares nothing, as a backup tool or an editor might hold it.
HANDLE Lock(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(KaruvelWindow, NoEnabledNoteShowsOnlyTheListsMessageThenEnds) {
  // A locked memo.ini exists, so start-up goes on; it cannot be read, so no note can be switched.
  for (const bool locked : {false, true}) {
    SCOPED_TRACE(locked ? "locked" : "every note off");
    WriteMemo(locked ? ThreeNotes() : "1_ScriptEnableDscpServer=false\r\n1_ETag=E1\r\n2_ScriptEnableDscpServer= true\r\n");
    const HANDLE lock = locked ? Lock(MemoIniOf(root_)) : INVALID_HANDLE_VALUE;
    ASSERT_EQ(lock != INVALID_HANDLE_VALUE, locked);
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start());
    HWND box = karuvel.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kNoNotes);
    EXPECT_TRUE(ListEntries(karuvel.Control(kCbo切替対象)).empty());

    PressOk(box);
    bool anotherBox = false;
    WaitUntil([&] {
      for (HWND b : MessageBoxesOf(karuvel.Pid()))
        if (b != box) anotherBox = true;
      return !karuvel.Running();
    });
    EXPECT_FALSE(anotherBox);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
    if (locked) CloseHandle(lock);
  }
}

TEST_F(KaruvelWindow, NormalStartShowsTheNotesCollapsed) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);

  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  EXPECT_STREQ(cls, L"Karuvel");
  EXPECT_EQ(ReadText(window), L"Karuvel");
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), (Entries{L"ETAG-3", L"付箋8", L"ETAG-5"}));
  EXPECT_EQ(ListSelection(C(kCbo切替対象)), 0);
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{kScriptA}));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), 0);

  EXPECT_EQ(OuterSize(window).cx, 416);
  EXPECT_EQ(OuterSize(window).cy, 195);
  for (int id : {kText1, kText2}) {
    EXPECT_FALSE(IsEnabled(C(id))) << id;
    EXPECT_EQ(ReadText(C(id)), L"") << id;
  }
  for (int id : {kCmd詳細, kCmd切替, kCmd再読み込み, kCmd終了}) EXPECT_TRUE(IsEnabled(C(id))) << id;
  EXPECT_EQ(ReadText(C(kLblVersion)), L"Ver.0.15");
  EXPECT_TRUE(MutexExists("TKaruvelWndMutex"));
  EXPECT_EQ(FocusOf(window), C(kCbo切替対象));
  EXPECT_TRUE(SaveScreenshot(window, TestProgramDir() + L"karuvel_collapsed.bmp"));
  EXPECT_TRUE(karuvel_.Running());
}

TEST_F(KaruvelWindow, RootEndingInABackslashIsUsedAsItStands) {
  SetZMemoRoot(root_ + L"\\");  // the user directory gets "\\USERS\", which Windows accepts
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
}

TEST_F(KaruvelWindow, LayoutFollowsTheDesignInTwips) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  struct Placement {
    int id;
    int container;  // 0: the window
    int left, top, width, height;  // twips; height 0 when the control sizes itself
    const wchar_t* caption;  // null when not a caption to compare
  };
  const Placement placements[] = {
      {kFrame4, 0, 1620, 1800, 1275, 675, L""},
      {kCmd詳細, kFrame4, 180, 240, 855, 315, L"詳細"},
      {kFrame1, 0, 2940, 1800, 3015, 675, L""},
      {kCmd終了, kFrame1, 1980, 240, 855, 315, L"終了"},
      {kCmd切替, kFrame1, 180, 240, 855, 315, L"切替"},
      {kCmd再読み込み, kFrame1, 1080, 240, 855, 315, L"再読込"},
      {kFraパネル, 0, 180, 600, 5775, 1215, L"切替対象"},
      {kCbo切替スクリプト, kFraパネル, 1080, 720, 4515, 0, nullptr},
      {kCbo切替対象, kFraパネル, 1080, 360, 4515, 0, nullptr},
      {kLabel1, kFraパネル, 120, 420, 975, 195, L"付箋"},
      {kLabel2, kFraパネル, 120, 780, 1695, 195, L"スクリプト"},
      {kFrame3, 0, 180, 3900, 5775, 1275, L"受信文字列"},
      {kText1, kFrame3, 180, 300, 5415, 855, nullptr},
      {kFrame2, 0, 180, 2580, 5775, 1275, L"送信文字列"},
      {kText2, kFrame2, 180, 300, 5415, 855, nullptr},
      {kLblVersion, 0, 4620, 240, 1155, 255, L"Ver.0.15"},
      {kLabel3, 0, 3180, 120, 1755, 315, L"Karuvel"},
      {kLabel4, 0, 3240, 120, 1755, 315, L"Karuvel"},
      {kShape1, 0, 180, 360, 5715, 135, nullptr},
  };
  for (const Placement& s : placements) {
    SCOPED_TRACE(s.id);
    HWND control = C(s.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), s.container ? C(s.container) : window);
    const RECT r = RectInContainer(control);
    EXPECT_EQ(r.left, s.left / 15);
    EXPECT_EQ(r.top, s.top / 15);
    EXPECT_EQ(r.right - r.left, s.width / 15);
    if (s.height) {
      EXPECT_EQ(r.bottom - r.top, s.height / 15);
    }
    if (s.caption) {
      EXPECT_EQ(ReadText(control), s.caption);
    }
  }
  // The text boxes: multi-line with a vertical scroll bar, read-only so nothing typed is kept.
  for (int id : {kText1, kText2}) {
    const LONG style = GetWindowLongW(C(id), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE) << id;
    EXPECT_TRUE(style & WS_VSCROLL) << id;
    EXPECT_TRUE(style & ES_READONLY) << id;
  }
  // The user picks from the lists and can't type.
  for (int id : {kCbo切替対象, kCbo切替スクリプト})
    EXPECT_EQ(GetWindowLongW(C(id), GWL_STYLE) & 3, CBS_DROPDOWNLIST) << id;
  // The border is fixed.
  EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(KaruvelWindow, TabOrderStartsWithTheListsThenTheButtons) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  const int order[] = {kCbo切替対象, kCbo切替スクリプト, kCmd詳細, kCmd切替, kCmd再読み込み, kCmd終了,
                       kCbo切替対象};
  for (size_t i = 0; i + 1 < std::size(order); ++i)
    EXPECT_EQ(GetNextDlgTabItem(window, C(order[i]), FALSE), C(order[i + 1])) << i;
}

TEST_F(KaruvelWindow, ChoosingANoteRefillsItsScriptsAndChoosesTheCurrentOne) {
  ASSERT_NE(StartNormally(), nullptr);
  SetEditText(C(kText1), L"reply");
  SetEditText(C(kText2), L"request");

  Choose(C(kCbo切替対象), 1);
  ASSERT_TRUE(WaitUntil([&] { return ListEntries(C(kCbo切替スクリプト)).size() == 3; }));
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{kScriptB, kScriptA, kScriptC}));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), 2);
  EXPECT_EQ(ReadText(C(kText1)), L"");
  EXPECT_EQ(ReadText(C(kText2)), L"");

  Choose(C(kCbo切替対象), 2);  // a note without history
  ASSERT_TRUE(WaitUntil([&] { return ListEntries(C(kCbo切替スクリプト)).empty(); }));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), -1);
  EXPECT_EQ(ListEntries(C(kCbo切替対象)).size(), 3u);
}

TEST_F(KaruvelWindow, ChoosingAScriptEmptiesBothTextBoxesOnly) {
  ASSERT_NE(StartNormally(), nullptr);
  Choose(C(kCbo切替対象), 1);
  ASSERT_TRUE(WaitUntil([&] { return ListSelection(C(kCbo切替スクリプト)) == 2; }));
  SetEditText(C(kText1), L"reply");
  SetEditText(C(kText2), L"request");

  Choose(C(kCbo切替スクリプト), 0);
  EXPECT_TRUE(WaitUntil([&] { return ReadText(C(kText1)).empty() && ReadText(C(kText2)).empty(); }));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), 0);
  EXPECT_EQ(ListSelection(C(kCbo切替対象)), 1);
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)).size(), 3u);
}

TEST_F(KaruvelWindow, DetailsTogglesTheExpandedViewAndBack) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  SetEditText(C(kText1), L"reply");
  SetEditText(C(kText2), L"request");

  Click(C(kCmd詳細));
  ASSERT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 379; }));
  EXPECT_EQ(OuterSize(window).cx, 416);
  EXPECT_TRUE(WaitUntil([&] { return IsEnabled(C(kText1)) && IsEnabled(C(kText2)); }));
  EXPECT_EQ(ReadText(C(kCmd詳細)), L"詳細");
  Sleep(200);  // let the newly shown part paint before the screenshot
  EXPECT_TRUE(SaveScreenshot(window, TestProgramDir() + L"karuvel_expanded.bmp"));

  Click(C(kCmd詳細));
  ASSERT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 195; }));
  EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(C(kText1)) && !IsEnabled(C(kText2)); }));
  EXPECT_EQ(ReadText(C(kText1)), L"reply");
  EXPECT_EQ(ReadText(C(kText2)), L"request");
}

TEST_F(KaruvelWindow, ReloadReadsTheChangedFile) {
  ASSERT_NE(StartNormally(), nullptr);
  WriteMemo("4_ScriptEnableDscpServer=true\r\n4_ETag=NEW\r\n4_ScriptFileName=C:\\n.ugu\r\n");
  Click(C(kCmd再読み込み));
  ASSERT_TRUE(WaitUntil([&] { return ListEntries(C(kCbo切替対象)) == Entries{L"NEW"}; }));
  EXPECT_EQ(ListSelection(C(kCbo切替対象)), 0);
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{L"C:\\n.ugu"}));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), 0);
}

TEST_F(KaruvelWindow, ReloadOfADeletedOrLockedFileShowsTheNotesAgain) {
  for (const bool locked : {false, true}) {
    SCOPED_TRACE(locked ? "locked" : "deleted");
    Karuvel karuvel;
    WriteMemo(ThreeNotes());
    ASSERT_TRUE(karuvel.Start());
    ASSERT_NE(karuvel.WaitReady(3), nullptr);
    HWND notes = karuvel.Control(kCbo切替対象);
    Choose(notes, 2);
    ASSERT_TRUE(WaitUntil([&] { return ListEntries(karuvel.Control(kCbo切替スクリプト)).empty(); }));
    const HANDLE lock = locked ? Lock(MemoIniOf(root_)) : INVALID_HANDLE_VALUE;
    ASSERT_TRUE(locked ? lock != INVALID_HANDLE_VALUE : DeleteFileW(MemoIniOf(root_).c_str()));

    Click(karuvel.Control(kCmd再読み込み));
    ASSERT_TRUE(WaitUntil([&] { return ListSelection(notes) == 0; }));
    EXPECT_EQ(ListEntries(notes), (Entries{L"ETAG-3", L"付箋8", L"ETAG-5"}));
    EXPECT_EQ(ListEntries(karuvel.Control(kCbo切替スクリプト)), (Entries{kScriptA}));
    EXPECT_EQ(karuvel.WaitMessageBox(300), nullptr);
    if (locked) CloseHandle(lock);
  }
}

TEST_F(KaruvelWindow, ReloadWithEveryNoteSwitchedOffKeepsTheWindow) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  WriteMemo("3_ScriptEnableDscpServer=false\r\n3_ETag=ETAG-3\r\n");

  Click(C(kCmd再読み込み));
  HWND box = karuvel_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), kNoNotes);
  EXPECT_TRUE(ListEntries(C(kCbo切替対象)).empty());
  EXPECT_TRUE(ListEntries(C(kCbo切替スクリプト)).empty());
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return MessageBoxesOf(karuvel_.Pid()).empty(); }));
  EXPECT_FALSE(karuvel_.WaitExit(300).has_value());
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(MutexExists("TKaruvelWndMutex"));
}

TEST_F(KaruvelWindow, ExitButtonEndsTheProcessEvenExpanded) {
  HWND window = StartNormally();
  ASSERT_NE(window, nullptr);
  Click(C(kCmd詳細));
  ASSERT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 379; }));
  Click(C(kCmd終了));
  EXPECT_EQ(karuvel_.WaitExit(), std::optional<DWORD>(0));
  EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
}

TEST_F(KaruvelWindow, ClosingTheWindowByAnyMeansEndsTheProcessAndReleasesTheMutex) {
  WriteMemo(ThreeNotes());
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"close box or system menu", WM_SYSCOMMAND, SC_CLOSE},
      {"WM_CLOSE", WM_CLOSE, 0},
      {"end of the session", WM_ENDSESSION, TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start());
    HWND window = karuvel.WaitReady(3);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MutexExists("TKaruvelWndMutex"));
    PostMessageW(window, c.message, c.wParam, 0);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
  }
}

// Karuvel reads the screen's DPI when it starts; the test program keeps its own.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &key_, nullptr);
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~ScreenDpi() {
    RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

TEST_F(KaruvelWindow, TwipsFollowTheScreenDpi) {
  HWND window = nullptr;
  {
    ScreenDpi dpi(120);  // 12 twips to the pixel
    window = StartNormally();
  }
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(OuterSize(window).cx, 520);
  EXPECT_EQ(OuterSize(window).cy, 244);  // 2925 twips: 243.75 pixels
  const RECT details = RectInContainer(C(kCmd詳細));
  EXPECT_EQ(details.left, 15);
  EXPECT_EQ(details.right - details.left, 71);  // 855 twips: 71.25 pixels

  // The view still toggles both ways though neither height is a whole number of pixels.
  Click(C(kCmd詳細));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 474; }));  // 5685: 473.75
  Click(C(kCmd詳細));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 244; }));
  EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(C(kText1)); }));
}

TEST_F(KaruvelWindow, SimultaneousLaunchesLeaveExactlyOneInstance) {
  WriteMemo(ThreeNotes());
  constexpr int kLaunches = 5;
  Karuvel launched[kLaunches];
  for (Karuvel& k : launched) ASSERT_TRUE(k.Start());

  auto running = [&] {
    int n = 0;
    for (const Karuvel& k : launched) n += k.Running() ? 1 : 0;
    return n;
  };
  ASSERT_TRUE(WaitUntil([&] { return running() == 1; }, 20000));
  for (const Karuvel& k : launched) {
    if (k.Running()) {
      EXPECT_NE(k.WaitReady(3), nullptr);
      EXPECT_TRUE(MessageBoxesOf(k.Pid()).empty());
    } else {
      EXPECT_EQ(k.WaitExit(0), std::optional<DWORD>(0));
    }
  }
  Sleep(300);
  EXPECT_EQ(running(), 1);
}

}  // namespace
}  // namespace karuvel::e2e
