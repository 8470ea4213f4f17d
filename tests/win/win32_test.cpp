// Karuvel's Windows halves against the real thing under Wine: the system's code page 932, trees in
// the temp folder (letter case, hidden files, wildcards, locks), the registry, named mutexes held by
// other processes, and a real window: at every DPI, under high contrast, as a screen reader hears it.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/ansi.h"
#include "common/cp932.h"
#include "common/dpi.h"
#include "common/error_box_win.h"
#include "common/owners_win.h"
#include "packages/script_package.h"
#include "settings/memo_ini.h"
#include "settings/reg.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_win.h"
#include "shell/running_marks.h"
#include "standins/demo_shots/screenshot_win.h"
#include "tests/e2e/karuvel_driver.h"
#include "tests/layout_rows.h"

namespace karuvel {
namespace {

TEST(Cp932, DecodesAndEncodesAsTheSystem) {
  // In one text: every pair of bytes (a lead byte takes its trail, or each stands alone), each
  // followed by a run of ASCII (eight bytes at a time and the rest), and a lead byte at the end.
  // The units one at a time, and whether each survives the code page as the system decides.
  std::string bytes;
  for (unsigned b = 0; b < 0x10000; ++b)
    bytes += std::string{static_cast<char>(b >> 8), static_cast<char>(b)} + std::string(1 + b % 11, static_cast<char>(' ' + b % 96));
  bytes += '\x81';
  Text system(bytes.size(), u'\0');
  const int size = static_cast<int>(bytes.size());
  system.resize(MultiByteToWideChar(932, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&system[0]), size));
  EXPECT_TRUE(cp932::Decode(bytes) == system);
  for (unsigned u = 0; u < 0x10000; ++u) {
    const Text unit(1, static_cast<char16_t>(u));
    char out[2];
    ASSERT_EQ(cp932::Encode(unit), std::string(out, WideCharToMultiByte(932, 0, Wide(unit), 1, out, 2, nullptr, nullptr))) << u;
    ASSERT_EQ(cp932::IsRepresentable(unit), IsAnsiRepresentable(unit)) << u;
  }
}

// A folder whose name holds 表 (0x95 0x5C in code page 932), removed with all in it.
class Tree : public testing::Test {
 protected:
  ~Tree() override { std::filesystem::remove_all(root_); }
  Text At(const Text& relative) const { return (root_ / std::filesystem::path(relative)).u16string(); }
  // A file holding `bytes` (a folder for FILE_ATTRIBUTE_DIRECTORY) and the folders on its way.
  Text Make(const Text& relative, DWORD attributes = 0, const std::string& bytes = "x") {
    const std::filesystem::path path = At(relative);
    const bool folder = attributes == FILE_ATTRIBUTE_DIRECTORY;
    std::filesystem::create_directories(folder ? path : path.parent_path());
    if (!folder) std::ofstream(path, std::ios::binary) << bytes;
    if (attributes && !folder) SetFileAttributesW(path.c_str(), attributes);
    return path.u16string();
  }

  const std::filesystem::path root_ =
      std::filesystem::temp_directory_path() / (L"カルベル表" + std::to_wstring(GetCurrentProcessId()));
};

TEST_F(Tree, PackageCheckLooksForTheDataFileOnDisk) {
  // The information file, its data file (both made when there is one) and the result.
  const std::tuple<const char16_t*, const char16_t*, DWORD, int> rows[] = {
      {u"表\\ソ能表.ugu", u"表\\ソ能表\\DAT\\mio00.euu", 0, 0},  // each ends in byte 0x5C
      {u"I\\Foo.ugu", u"I\\FOO\\DAT\\mio00.euu", FILE_ATTRIBUTE_HIDDEN, -2},
      {u"J\\Foo.psn", u"J\\FOO\\DAT\\aya00.out", FILE_ATTRIBUTE_DIRECTORY, -2},
  };
  for (const auto& [info, data, dataAttributes, expected] : rows) {
    if (data) Make(info), Make(data, dataAttributes);
    EXPECT_EQ(CheckScriptPackage(At(info), RealFileSystem()), expected) << TextToUtf8(info);
  }
}

TEST_F(Tree, OrdinaryFilesAndMemoIniWhileZMemoWritesIt) {
  const Text file = Make(u"a表.txt");
  EXPECT_TRUE(RealFileSystem().IsOrdinaryFile(At(u"A表.TXT")) && FileExists(file + u"\\", RealFileSystem()));
  const Text others[] = {Make(u"h.txt", FILE_ATTRIBUTE_HIDDEN), Make(u"s.txt", FILE_ATTRIBUTE_SYSTEM),
                         Make(u"sub", FILE_ATTRIBUTE_DIRECTORY), file + u"\\", At(u"*"), At(u"a表.tx?"), At(u"a表.tx>"),
                         file + Text(1, u'\0') + u"x", u"", u"Q:\\no\\such\\drive.txt"};
  for (const Text& path : others) EXPECT_FALSE(RealFileSystem().IsOrdinaryFile(path)) << TextToUtf8(path);
  const Text memo = Make(u"memo.ini", 0, "0_ScriptEnableDscpServer=true\r\n0_ETag=\x95\x5C\r\n");
  const UniqueFile zmemo(CreateFileW(Wide(memo), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  NoteTable table;
  ReadMemoIni(memo, table, RealFileSystem());
  ReadMemoIni(Make(u"hidden.ini", FILE_ATTRIBUTE_HIDDEN, "1_ScriptEnableDscpServer=true\r\n"), table, RealFileSystem());
  EXPECT_TRUE(table.intNoteCount == 1 && table.Notes[0].strETag == u"表");
  const UniqueFile lock(CreateFileW(Wide(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(RealFileSystem().OpenRead(file), nullptr);  // the reader keeps its table then
}

TEST(Registry, ReadsShortRegSzOnlyAndWritesTheKeyPath) {
  const HKEY user = HKEY_CURRENT_USER;
  const Text root = u"Software\\KaruvelTest", key = root + u"\\新しい\\表示ソ能";
  RegDeleteTreeW(user, Wide(root));
  const cReg reg;
  ASSERT_TRUE(reg.RegSetString(user, key, u"Root", u" C:\\表示\\ソ能 "));
  EXPECT_EQ(reg.RegGetString(user, key, u"Root"), u" C:\\表示\\ソ能 ");
  EXPECT_EQ(reg.RegGetString(user, key, u"No") + reg.RegGetString(user, key + u"\\No", u"Root"), u"");
  // Values as other programs store them: bytes of code page 932, then a NUL.
  const std::string kanji(254, '\x95');  // 封 (0x95 0x95) 127 times
  const std::tuple<DWORD, std::string, Text> cases[] = {
      {REG_SZ, std::string("C:\\Z\0Memo", 9), u"C:\\Z"}, {REG_EXPAND_SZ, "C:\\ZMemo", u""},
      {REG_SZ, std::string(255, 'a'), Text(255, u'a')}, {REG_SZ, std::string(256, 'a'), u""},
      {REG_SZ, kanji + "a", Text(127, u'封') + u"a"}, {REG_SZ, kanji + "\x95\x5C", u""},
  };
  UniqueKey open;
  ASSERT_EQ(RegOpenKeyExW(user, Wide(key), 0, KEY_SET_VALUE, open.Put()), 0);
  for (const auto& [type, bytes, read] : cases) {
    RegSetValueExA(open.Get(), "Value", 0, type, reinterpret_cast<const BYTE*>(bytes.c_str()), bytes.size() + 1);
    EXPECT_EQ(reg.RegGetString(user, key, u"Value"), read) << bytes.size() << " bytes";
  }
  RegDeleteTreeW(user, Wide(root));
}

// Held here as another program would hold them: only their names matter to Karuvel.
TEST(Mutexes, CountOnlyWhileHeld) {
  {
    const auto hold = [](const wchar_t* name) { return UniqueHandle(CreateMutexW(nullptr, FALSE, name)); };
    const UniqueHandle lower = hold(L"tmemomanwndmutex"), karuvel = hold(L"TKaruvelWndMutex");
    EXPECT_EQ(IsZMemoRunning(), 0);  // names are case-sensitive
    CreateOwnMutex();
    EXPECT_EQ(lnghMutex.Get(), nullptr);
    const UniqueHandle zmemo = hold(L"TMemoManWndMutex");
    EXPECT_EQ(IsZMemoRunning(), 1);
  }
  // With their holders' handles closed, the mutexes are gone: Karuvel kept no handle on them.
  EXPECT_FALSE(e2e::MutexExists("TMemoManWndMutex") || e2e::MutexExists("TKaruvelWndMutex"));
  CreateOwnMutex();
  EXPECT_TRUE(lnghMutex && e2e::MutexExists("TKaruvelWndMutex"));
  ReleaseOwnMutex();
  EXPECT_FALSE(lnghMutex || e2e::MutexExists("TKaruvelWndMutex"));
}

// A dark high-contrast scheme for the session, as Windows' "High Contrast Black"; the old colours
// come back when it goes.
struct DarkScheme {
  static constexpr int kElements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_3DHILIGHT, COLOR_3DLIGHT,
                                      COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_GRAYTEXT, COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT};
  static constexpr COLORREF kColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255),
                                          RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 255, 255), RGB(63, 242, 63), RGB(128, 0, 128), RGB(255, 255, 255)};
  COLORREF old[std::size(kElements)];
  DarkScheme() { std::transform(kElements, std::end(kElements), old, GetSysColor), SetSysColors(std::size(old), kElements, kColours); }
  ~DarkScheme() { SetSysColors(std::size(old), kElements, old); }
};

// The window is made in this process: WM_DPICHANGED carries a pointer to its rectangle, so it is sent
// from here, and as Wine gives every monitor one DPI and keeps high contrast off, the window is
// handed the high-contrast query. The pictures go to the build folder, where window_picture_check
// compares them.
TEST(Window, IsReadOutFollowsTheDpiAndHighContrastAndASecondFailsWithTheSystemsReason) {
  bool highContrast = false;
  MainWindow window([&] { return highContrast; }), second;
  ASSERT_EQ(window.Load(GetModuleHandleW(nullptr)), 0u);
  // ERROR_CLASS_ALREADY_EXISTS, with the system's text and its line end cut.
  const Text report = ErrorReportText(second.Load(GetModuleHandleW(nullptr)));
  EXPECT_EQ(report.substr(0, 14), u"ERROR #1410 : ");
  EXPECT_TRUE(report.size() > 14 && report.find_last_not_of(u"\r\n ") == report.size() - 1) << TextToUtf8(report);
  for (int dpi : {96, 120, 144, 192})  // every remainder of either sign, halves included
    for (int n = -60; n <= 60; ++n)
      ASSERT_TRUE(TwipsToPixels(n, dpi) == MulDiv(n, dpi, 1440) && PixelsToTwips(n, dpi) == MulDiv(n, 1440, dpi)) << n << " at " << dpi;

  AppState state;
  WinHostServices host(state.strRootDir);
  App app{state, window, host};
  window.Attach(&app, {});
  window.ListAdd(List::Target, u"付箋8"), window.ListAdd(List::Script, u"C:\\ソフト\\表示.ugu");
  window.ListSetSelected(List::Target, 0), window.ListSetSelected(List::Script, 0);
  window.SetText(TextBox::Request, u"LOAD DSCP/1.3\r\nTargetETag: 付箋8"), window.SetText(TextBox::Reply, u"DSCP/1.3 200 OK");
  window.Show();
  // Through Active Accessibility, as a screen reader asks: the text boxes by their frames' captions,
  // the captioned frames as groups, the title and its bar passed by. (The lists take their names
  // from the labels before them, which Wine does not report: checked on Windows only.)
  const struct {
    int id;
    const wchar_t* name;  // null: not read out
    LONG role;
  } heard[] = {{ids::kRequestBox, L"送信文字列", ROLE_SYSTEM_TEXT},     {ids::kReplyBox, L"受信文字列", ROLE_SYSTEM_TEXT},
               {ids::kRequestFrame, L"送信文字列", ROLE_SYSTEM_GROUPING}, {ids::kReplyFrame, L"受信文字列", ROLE_SYSTEM_GROUPING},
               {ids::kFraパネル, L"切替対象", ROLE_SYSTEM_GROUPING},       {ids::kTitle, nullptr, 0},
               {ids::kTitleShadow, nullptr, 0},                           {ids::kTitleBar, nullptr, 0}};
  for (const auto& h : heard) {
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(window.Control(h.id), OBJID_CLIENT, kIidAccessible,
                                         reinterpret_cast<void**>(&object)), S_OK) << h.id;
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4, self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    const bool passedBy = (state.lVal & STATE_SYSTEM_INVISIBLE) != 0;
    if (h.name) EXPECT_TRUE(name && name == std::wstring(h.name) && role.lVal == h.role && !passedBy) << h.id;
    else EXPECT_TRUE(passedBy) << h.id;
    // A group's controls are reached through it, as readers walk the tree.
    VARIANT children[4] = {};
    LONG got = 0;
    EXPECT_TRUE(h.role != ROLE_SYSTEM_GROUPING ||
                (SUCCEEDED(AccessibleChildren(object, 0, 4, children, &got)) && got > 0 && children[0].vt == VT_DISPATCH)) << h.id;
    for (VARIANT& child : children) VariantClear(&child);
    SysFreeString(name);
    object->Release();
  }
  const HWND hwnd = window.Handle(), details = window.Control(ids::kCmd詳細);
  // The pictures, and beside them the record of what drew them that the session keeps.
  const std::wstring pictures = e2e::BuildDir() + L"window-pictures\\";
  CreateDirectoryW(pictures.c_str(), nullptr);
  CopyFileW((e2e::BuildDir() + L"wine\\made-with.txt").c_str(), (pictures + L"pictures-made-with.txt").c_str(), FALSE);
  const auto picture = [&](const wchar_t* name) {  // in front, everything painted
    SetForegroundWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(e2e::WaitUntil([&] {
      for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
      return GetForegroundWindow() == hwnd;
    }) && e2e::SavePainted(hwnd, pictures + name + L".bmp")) << name;
  };
  const RECT start = e2e::RectOf(hwnd);
  for (const int dpi : {120, 144, 192, 96}) {
    // At 144 Windows' suggestion is a pixel taller than the twips give, as its scaling of the frame can be.
    RECT suggested{start.left, start.top, start.left + TwipsToPixels(6240, dpi),
                   start.top + TwipsToPixels(kCollapsedHeightTwips, dpi) + (dpi == 144)};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT now = e2e::RectOf(hwnd);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << dpi;
    for (const layout_rows::Row& row : layout_rows::kRows)
      EXPECT_EQ(layout_rows::Placement(window.Control(row.id), row), layout_rows::InPixels(row, dpi)) << row.id << " at " << dpi;
    // 詳細 toggles between the heights the twips give, both boxes on in the expanded view only.
    for (const auto& [twips, boxesOn] : {std::pair{kExpandedHeightTwips, 2}, {kCollapsedHeightTwips, 0}}) {
      SendMessageW(details, BM_CLICK, 0, 0);
      EXPECT_EQ(e2e::OuterSize(hwnd).cy * 10 + IsWindowEnabled(window.Control(ids::kReplyBox)) + IsWindowEnabled(window.Control(ids::kRequestBox)),
                TwipsToPixels(twips, dpi) * 10 + boxesOn) << dpi;
      if (boxesOn && dpi == 144) picture(L"karuvel-144dpi");
    }
  }
  const RECT end = e2e::RectOf(hwnd);
  EXPECT_TRUE(EqualRect(&end, &start));  // back at 96 as it started
  SendMessageW(details, BM_CLICK, 0, 0);
  highContrast = true;
  const DarkScheme scheme;  // its WM_SYSCOLORCHANGE has the window ask again
  picture(L"karuvel-high-contrast");
}

}  // namespace
}  // namespace karuvel
