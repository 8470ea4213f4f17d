// The main window and start-up, driven from outside as a user would.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "karuvel_driver.h"
#include "shell/control_ids.h"
#include "tests/expected_messages.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using Entries = std::vector<std::wstring>;

// A control's left, top, width and height in its container, in pixels.
std::vector<LONG> Placement(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Paths with Shift-JIS trail bytes 0x5C ("ソ", "表") must survive the ANSI edge.
const std::wstring kScriptA = L"C:\\ソフト\\表示.ugu", kScriptB = L"C:\\S\\b.psn", kScriptC = L"C:\\S\\c.ugu";

class KaruvelWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(std::wstring(name.begin(), name.end()));
    SetZMemoRoot(root_);
    WriteMemo(Ansi(L"[Memo]\r\n3_ScriptEnableDscpServer=true\r\n3_ETag=ETAG-3\r\n3_WatermarkHistory-000=" + kScriptA +
                   L"\r\n3_ScriptFileName=" + kScriptA + L"\r\n8_ScriptEnableDscpServer=TRUE\r\n8_ETag=付箋8\r\n"
                   L"8_WatermarkHistory-000=" + kScriptB + L"\r\n8_WatermarkHistory-001=" + kScriptA +
                   L"\r\n8_ScriptFileName=" + kScriptC + L"\r\n5_ScriptEnableDscpServer=true\r\n5_ETag=ETAG-5\r\n"));
  }
  void WriteMemo(const std::string& bytes) { ASSERT_TRUE(WriteBytes(MemoIniOf(root_), bytes)); }
  HWND C(int id) const { return karuvel_.Control(id); }

  std::wstring root_;
  Karuvel karuvel_;
};

TEST_F(KaruvelWindow, StartupFailuresShowTheirMessageOverTheCollapsedWindowThenEnd) {
  const std::wstring notInstalled = Expected(expected::kNotInstalled), noNote = Expected(expected::kNoSwitchableNote);
  struct Case {
    std::optional<std::wstring> root;
    const char* memo;  // null: none; "": the three notes
    DWORD attributes;
    bool locked;
    const std::wstring& message;
  } cases[] = {
      {std::nullopt, "", 0, false, notInstalled},  // no ZMemo key
      {L"", "", 0, false, notInstalled},
      {root_, nullptr, 0, false, notInstalled},
      {root_, "", FILE_ATTRIBUTE_HIDDEN, false, notInstalled},
      {root_, "", FILE_ATTRIBUTE_SYSTEM, false, notInstalled},
      {root_, "1_ScriptEnableDscpServer=false\r\n1_ETag=E1\r\n2_ScriptEnableDscpServer= true\r\n", 0, false, noNote},
      {root_, "", 0, true, noNote},  // a locked memo.ini exists, so start-up goes on, and reads nothing
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    SetFileAttributesW(MemoIniOf(root_).c_str(), FILE_ATTRIBUTE_NORMAL);
    SetUp();
    SetZMemoRoot(c.root);
    if (!c.memo) DeleteFileW(MemoIniOf(root_).c_str());
    if (c.memo && *c.memo) WriteMemo(c.memo);
    if (c.attributes) SetFileAttributesW(MemoIniOf(root_).c_str(), c.attributes);
    const UniqueFile lock(c.locked ? CreateFileW(MemoIniOf(root_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                                 nullptr) : INVALID_HANDLE_VALUE);
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start() && karuvel.WaitMessageBox());
    EXPECT_EQ(OuterSize(MainWindowOf(karuvel.Pid())).cy, 195);
    EXPECT_FALSE(IsEnabled(karuvel.Control(kText1)) || IsEnabled(karuvel.Control(kText2)));
    EXPECT_EQ(ReadText(karuvel.Control(kLblVersion)), L"Ver.0.15");
    EXPECT_TRUE(ListEntries(karuvel.Control(kCbo切替対象)).empty());
    EXPECT_TRUE(MutexExists("TKaruvelWndMutex"));
    EXPECT_EQ(CloseMessageBox(karuvel), c.message);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0));  // and no other message on the way
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
  }
}

TEST_F(KaruvelWindow, SessionOfChoicesAndReloads) {
  SetZMemoRoot(root_ + L"\\");  // a Root ending in "\" is used as it stands
  ASSERT_TRUE(karuvel_.Start());
  HWND window = karuvel_.WaitReady(3);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ReadText(window), L"Karuvel");
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), (Entries{L"ETAG-3", L"付箋8", L"ETAG-5"}));
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{kScriptA}));
  EXPECT_EQ(ListSelection(C(kCbo切替対象)) + ListSelection(C(kCbo切替スクリプト)), 0);
  {  // the frames draw their etched edge: Frame4's left edge is not the background
    const HDC screen = GetDC(nullptr);
    RECT frame{};
    GetWindowRect(C(kFrame4), &frame);
    EXPECT_TRUE(WaitUntil([&] { return GetPixel(screen, frame.left, (frame.top + frame.bottom) / 2) != RGB(224, 224, 224); }));
    GetWindowRect(C(kFraパネル), &frame);  // and their caption stands on the window's grey
    EXPECT_TRUE(WaitUntil([&] { return GetPixel(screen, frame.left + 9, frame.top) == RGB(224, 224, 224); }));
    ReleaseDC(nullptr, screen);
  }
  GUITHREADINFO focus{};
  focus.cbSize = sizeof focus;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &focus);
  EXPECT_EQ(focus.hwndFocus, C(kCbo切替対象));
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());

  // The layout in twips, 15 to the pixel at 96 DPI (height 0: the control sizes itself), in tab order.
  const struct {
    int id, container, left, top, width, height;
    const wchar_t* caption;
  } layout[] = {
      {kFrame4, 0, 1620, 1800, 1275, 675, L""}, {kCmd詳細, kFrame4, 180, 240, 855, 315, L"詳細"},
      {kFrame1, 0, 2940, 1800, 3015, 675, L""}, {kCmd終了, kFrame1, 1980, 240, 855, 315, L"終了"},
      {kCmd切替, kFrame1, 180, 240, 855, 315, L"切替"}, {kCmd再読み込み, kFrame1, 1080, 240, 855, 315, L"再読込"},
      {kFraパネル, 0, 180, 600, 5775, 1215, L"切替対象"}, {kCbo切替スクリプト, kFraパネル, 1080, 720, 4515, 0, nullptr},
      {kCbo切替対象, kFraパネル, 1080, 360, 4515, 0, nullptr}, {kLabel1, kFraパネル, 120, 420, 975, 195, L"付箋"},
      {kLabel2, kFraパネル, 120, 780, 1695, 195, L"スクリプト"}, {kFrame3, 0, 180, 3900, 5775, 1275, L"受信文字列"},
      {kText1, kFrame3, 180, 300, 5415, 855, nullptr}, {kFrame2, 0, 180, 2580, 5775, 1275, L"送信文字列"},
      {kText2, kFrame2, 180, 300, 5415, 855, nullptr}, {kLblVersion, 0, 4620, 240, 1155, 255, L"Ver.0.15"},
      {kLabel3, 0, 3180, 120, 1755, 315, L"Karuvel"}, {kLabel4, 0, 3240, 120, 1755, 315, L"Karuvel"},
      {kShape1, 0, 180, 360, 5715, 135, nullptr}};
  for (const auto& p : layout) {
    ASSERT_EQ(GetParent(C(p.id)), p.container ? C(p.container) : window) << p.id;
    std::vector<LONG> placed = Placement(C(p.id));
    placed[3] *= p.height ? 1 : 0;
    EXPECT_EQ(placed, (std::vector<LONG>{p.left / 15, p.top / 15, p.width / 15, p.height / 15})) << p.id;
    EXPECT_EQ(ReadText(C(p.id)), p.caption ? p.caption : ReadText(C(p.id))) << p.id;
  }
  EXPECT_EQ(OuterSize(window).cx * 1000 + OuterSize(window).cy, 416195);
  const int order[] = {kCbo切替対象, kCbo切替スクリプト, kCmd詳細, kCmd切替, kCmd再読み込み, kCmd終了, kCbo切替対象};
  for (size_t i = 0; i + 1 < std::size(order); ++i)
    EXPECT_EQ(GetNextDlgTabItem(window, C(order[i]), FALSE), C(order[i + 1])) << i;

  // A choice fills the note's scripts with its current one chosen and empties both texts.
  SetEditText(C(kText1), L"r");  // one character: the emptying must not take it for empty
  SetEditText(C(kText2), L"request");
  Choose(C(kCbo切替対象), 1);
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{kScriptB, kScriptA, kScriptC}));
  EXPECT_EQ(ListSelection(C(kCbo切替スクリプト)), 2);
  EXPECT_EQ(ReadText(C(kText1)) + ReadText(C(kText2)), L"");

  // Reloads: the file as it is now, then one with no note at all, which the program outlives.
  WriteMemo("4_ScriptEnableDscpServer=true\r\n4_ETag=NEW\r\n4_ScriptFileName=C:\\n.ugu\r\n");
  Click(C(kCmd再読み込み));
  EXPECT_TRUE(WaitUntil([&] { return ListEntries(C(kCbo切替対象)) == Entries{L"NEW"}; }));
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), (Entries{L"C:\\n.ugu"}));
  WriteMemo("3_ScriptEnableDscpServer=false\r\n3_ETag=ETAG-3\r\n");
  Click(C(kCmd再読み込み));
  EXPECT_EQ(CloseMessageBox(karuvel_), Expected(expected::kNoSwitchableNote));
  EXPECT_TRUE(ListEntries(C(kCbo切替対象)).empty() && ListEntries(C(kCbo切替スクリプト)).empty());
  EXPECT_FALSE(karuvel_.WaitExit(300).has_value());  // the program lives on
  Click(C(kCmd終了));
  EXPECT_EQ(karuvel_.WaitExit(), std::optional<DWORD>(0));
  EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
}

TEST_F(KaruvelWindow, TwipsFollowTheScreenDpi) {
  UniqueKey desktop;  // read by Karuvel when it starts; the test program keeps its own DPI
  const DWORD dpi = 120;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            desktop.Put(), nullptr), 0);
  RegSetValueExW(desktop.Get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  ASSERT_TRUE(karuvel_.Start());
  HWND window = karuvel_.WaitReady(3);
  RegDeleteValueW(desktop.Get(), L"LogPixels");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(OuterSize(window).cx * 1000 + OuterSize(window).cy, 520244);  // 2925 twips: 243.75 pixels
  EXPECT_EQ(Placement(C(kCmd詳細)), (std::vector<LONG>{15, 20, 71, 26}));  // 855 by 315 twips
  // The view still toggles both ways though neither height is a whole number of pixels.
  Click(C(kCmd詳細));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 474; }));  // 5685: 473.75
  Click(C(kCmd詳細));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(window).cy == 244 && !IsEnabled(C(kText1)); }));
}

TEST_F(KaruvelWindow, ClosingByAnyMeansEndsTheProgramAndOnlyOneOfSimultaneousLaunchesRuns) {
  for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0},
                                        {WM_ENDSESSION, TRUE}}) {
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start() && karuvel.WaitReady(3));
    PostMessageW(karuvel.WaitReady(3), message, wParam, 0);
    EXPECT_EQ(karuvel.WaitExit(), std::optional<DWORD>(0)) << message;
    EXPECT_FALSE(MutexExists("TKaruvelWndMutex"));
  }
  Karuvel launched[5];
  for (Karuvel& k : launched) ASSERT_TRUE(k.Start());
  const auto running = [&] {
    int n = 0;
    for (const Karuvel& k : launched) n += k.Running() ? 1 : 0;
    return n;
  };
  ASSERT_TRUE(WaitUntil([&] { return running() == 1; }, 20000));
  for (const Karuvel& k : launched) EXPECT_TRUE(k.Running() ? k.WaitReady(3) != nullptr : k.WaitExit(0) == 0u);
  Sleep(300);
  EXPECT_EQ(running(), 1);
}

}  // namespace
}  // namespace karuvel::e2e
