// Karuvel's Windows halves against the real thing under Wine: the system's code page 932, files in
// the temp folder (letter case, hidden files, wildcards, a file another program writes), the
// registry, named mutexes held by other processes, and a real window: at every DPI, under the
// user's colours and high contrast, as a screen reader hears it, while a package check waits.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <atomic>
#include <map>
#include <tuple>

#include "common/ansi.h"
#include "common/cp932.h"
#include "common/dpi.h"
#include "common/owners_win.h"
#include "packages/script_package.h"
#include "settings/memo_ini.h"
#include "settings/reg.h"
#include "dscp/script_switch.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_win.h"
#include "shell/running_marks.h"
#include "standins/demo_shots/screenshot_win.h"
#include "tests/e2e/karuvel_driver.h"

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

TEST_F(Tree, OrdinaryFilesAndMemoIniWhileZMemoWritesItOrAnotherLocksIt) {
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
  const Text locked = Make(u"locked.ini", 0, "2_ScriptEnableDscpServer=true\r\n");  // as by a program that shares nothing
  const UniqueFile lock(CreateFileW(Wide(locked), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ReadMemoIni(locked, table, RealFileSystem());
  // The locked file is still there to read, so start-up goes on, and reads nothing from it.
  EXPECT_TRUE(table.intNoteCount == 1 && table.Notes[0].strETag == u"表" && RealFileSystem().IsOrdinaryFile(locked));
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

// Held here as another program would hold them: Karuvel looks at them and keeps no handle. Whether
// they count, the end-to-end tests show.
TEST(Mutexes, KaruvelKeepsNoHandleOnAnotherProgramsMutex) {
  {
    const UniqueHandle zmemo(CreateMutexW(nullptr, FALSE, L"TMemoManWndMutex")),
        karuvel(CreateMutexW(nullptr, FALSE, L"TKaruvelWndMutex"));
    CreateOwnMutex();
    EXPECT_TRUE(IsZMemoRunning() == 1 && !lnghMutex);
  }
  // With their holders' handles closed, the mutexes are gone: Karuvel kept no handle on them.
  EXPECT_FALSE(e2e::MutexExists("TMemoManWndMutex") || e2e::MutexExists("TKaruvelWndMutex"));
  CreateOwnMutex();
  EXPECT_TRUE(lnghMutex && e2e::MutexExists("TKaruvelWndMutex"));
  ReleaseOwnMutex();
  EXPECT_FALSE(lnghMutex || e2e::MutexExists("TKaruvelWndMutex"));
}

// A dark scheme for the session, as Windows' "High Contrast Black" sets it, or as Windows 7's
// appearance settings and colour tools set one without the high-contrast flag; the old colours come
// back when it goes.
struct DarkScheme {
  static constexpr int kElements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_3DHILIGHT, COLOR_3DLIGHT,
                                      COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_GRAYTEXT, COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT};
  static constexpr COLORREF kColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255),
                                          RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 255, 255), RGB(63, 242, 63), RGB(128, 0, 128), RGB(255, 255, 255)};
  COLORREF old[std::size(kElements)];
  DarkScheme() { std::transform(kElements, std::end(kElements), old, GetSysColor), SetSysColors(std::size(old), kElements, kColours); }
  ~DarkScheme() { SetSysColors(std::size(old), kElements, old); }
};

// Wine always answers SPI_GETHIGHCONTRAST with "off". This program's own import of
// SystemParametersInfoW is pointed here, so the window's real query gets the answer a Windows with
// high contrast available gives: on while `on`.
struct HighContrastAnswer {
  using Call = BOOL(WINAPI*)(UINT, UINT, void*, UINT);
  static inline bool on = false;
  static inline Call real = nullptr;
  static inline void** import = nullptr;  // this program's slot for it
  static BOOL WINAPI Answer(UINT action, UINT size, void* param, UINT flags) {
    if (action != SPI_GETHIGHCONTRAST || !param) return real(action, size, param, flags);
    static_cast<HIGHCONTRASTW*>(param)->dwFlags = HCF_AVAILABLE | (on ? HCF_HIGHCONTRASTON : 0);
    return TRUE;
  }
  // The slot this program's import table holds the function's address in.
  static void** Slot(Call function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; d->Name; ++d)
      for (auto* slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot; ++slot)
        if (*slot == reinterpret_cast<void*>(function)) return slot;
    return nullptr;
  }
  static void Point(void* to) {
    DWORD was = 0;
    VirtualProtect(import, sizeof *import, PAGE_READWRITE, &was);
    *import = to;
    VirtualProtect(import, sizeof *import, was, &was);
  }
  HighContrastAnswer() {
    real = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW")));
    if ((import = Slot(real)) != nullptr) Point(reinterpret_cast<void*>(&Answer));
  }
  ~HighContrastAnswer() {
    if (import) Point(reinterpret_cast<void*>(real));
    on = false;
  }
};

// Times a control is given the focus while the object lives (the window's thread is this one).
struct FocusMoves {
  static inline int count = 0;
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SETFOCUS && GetParent(sent->hwnd)) ++count;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  FocusMoves() : hook(SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId())) { count = 0; }
  ~FocusMoves() { UnhookWindowsHookEx(hook); }
  HHOOK hook;
};

// The window made in this process: WM_DPICHANGED carries a pointer to its rectangle, so it is sent
// from here, and Wine gives every monitor one DPI and keeps high contrast off.
class Window : public testing::Test {
 protected:
  void Open() {
    ASSERT_TRUE(HighContrastAnswer::import) << "no import of SystemParametersInfoW to answer for";
    ASSERT_EQ(window.Load(GetModuleHandleW(nullptr)), 0u);
    window.Attach(&app, {});
    window.ListAdd(List::Target, u"付箋8"), window.ListAdd(List::Script, u"C:\\ソフト\\表示.ugu");
    window.ListSetSelected(List::Target, 0), window.ListSetSelected(List::Script, 0);
    window.SetText(TextBox::Request, u"LOAD DSCP/1.3\r\nTargetETag: 付箋8"), window.SetText(TextBox::Reply, u"DSCP/1.3 200 OK");
    ShowCollapsedView(window);
    window.Show(SW_SHOW);
    Pump();
  }
  HWND C(int id) const {
    HWND control = window.Control(id);
    if (!control) ADD_FAILURE() << "no control " << id;
    return control;
  }
  static void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  }
  void Details() { SendMessageW(C(ids::kCmd詳細), BM_CLICK, 0, 0); }
  // In front with everything painted: what the screen shows is what a user sees.
  void Painted() {
    const HWND hwnd = window.Handle();
    SetForegroundWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Pump(), GetForegroundWindow() == hwnd; }));
  }
  // Saved where window_picture_check compares it, beside the record of what drew it.
  void Picture(const wchar_t* name) {
    const std::wstring pictures = e2e::BuildDir() + L"window-pictures\\";
    CreateDirectoryW(pictures.c_str(), nullptr);
    CopyFileW((e2e::BuildDir() + L"wine\\made-with.txt").c_str(), (pictures + L"pictures-made-with.txt").c_str(), FALSE);
    Painted();
    EXPECT_TRUE(e2e::SavePainted(window.Handle(), pictures + name + L".bmp")) << name;
  }
  // Sent as Windows sends it when the window moves to a monitor of `dpi`, with the rectangle it
  // suggests: the twips' size, a pixel taller at 144 as Windows' scaling of the frame can be.
  RECT MoveToDpi(int dpi, const RECT& at) {
    RECT suggested{at.left, at.top, at.left + TwipsToPixels(6240, dpi), at.top + TwipsToPixels(kCollapsedHeightTwips, dpi) + (dpi == 144)};
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return suggested;
  }

  const HighContrastAnswer highContrast;
  MainWindow window;
  AppState state;
  WinHostServices host{state.strRootDir};
  App app{state, window, host};
};

// A box of one character is emptied too: only a box that is empty already is left as it is.
TEST_F(Window, EmptiesATextBoxOfOneCharacter) {
  Open();
  window.SetText(TextBox::Reply, u"r"), window.SetText(TextBox::Reply, u"");
  EXPECT_EQ(e2e::ReadText(C(ids::kReplyBox)), L"");
}

IAccessible* AccessibleOf(HWND hwnd) {
  IAccessible* found = nullptr;
  EXPECT_EQ(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&found)), S_OK);
  return found;
}
const VARIANT kSelf = [] {
  VARIANT self{};
  self.vt = VT_I4, self.lVal = CHILDID_SELF;
  return self;
}();

// Through Active Accessibility, as a screen reader asks: the text boxes named by the labels before
// them, the captioned frames groups whose controls a reader reaches, the title and its bar passed by.
TEST_F(Window, IsReadOut) {
  Open();
  Details();
  for (const auto& [id, expected] : {std::pair{ids::kRequestBox, L"送信文字列"}, {ids::kReplyBox, L"受信文字列"}}) {
    IAccessible* box = AccessibleOf(C(id));
    BSTR name = nullptr;
    ASSERT_TRUE(box && SUCCEEDED(box->get_accName(kSelf, &name)));
    EXPECT_TRUE(name && name == std::wstring(expected)) << id;
    SysFreeString(name), box->Release();
  }
  for (const int id : {ids::kFraパネル, ids::kRequestFrame, ids::kReplyFrame, ids::kTitle, ids::kTitleShadow, ids::kTitleBar}) {
    IAccessible* control = AccessibleOf(C(id));
    ASSERT_TRUE(control);
    VARIANT role{}, visibility{}, children[4] = {};
    LONG got = 0;
    control->get_accRole(kSelf, &role), control->get_accState(kSelf, &visibility);
    const bool decoration = id == ids::kTitle || id == ids::kTitleShadow || id == ids::kTitleBar;
    if (decoration) EXPECT_TRUE(visibility.lVal & STATE_SYSTEM_INVISIBLE) << id;
    else EXPECT_TRUE(role.lVal == ROLE_SYSTEM_GROUPING && SUCCEEDED(AccessibleChildren(control, 0, 4, children, &got)) &&
                     got > 0 && children[0].vt == VT_DISPATCH) << id;
    for (VARIANT& child : children) VariantClear(&child);
    control->Release();
  }
}

// The load buttons go off together when a request starts: the focus on 切替 moves once, to the
// next control that stays on.
TEST_F(Window, ARequestMovesTheFocusOnce) {
  Open();
  Details();  // both text boxes on
  SetFocus(C(ids::kCmd切替));
  const FocusMoves moves;
  for (const Button b : {Button::Switch, Button::Reload, Button::Exit}) window.SetButtonEnabled(b, false);
  EXPECT_EQ(FocusMoves::count, 1);
  EXPECT_EQ(GetFocus(), C(ids::kRequestBox));
}

BOOL CALLBACK AddPlacement(HWND child, LPARAM placed) {
  RECT r = e2e::RectOf(child);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  (*reinterpret_cast<std::map<int, RECT>*>(placed))[GetDlgCtrlID(child)] = r;
  return TRUE;
}

// Where each control stands in its container, in pixels.
std::map<int, RECT> Placements(HWND window) {
  std::map<int, RECT> placed;
  EnumChildWindows(window, AddPlacement, reinterpret_cast<LPARAM>(&placed));
  return placed;
}

// On a monitor of another DPI every control stands where it stands at 96, scaled (a drop-down list
// sizes its own height by its font), and 詳細 toggles between the views at the heights the twips
// give. (The icons of that DPI the 144 DPI picture shows.)
TEST_F(Window, FollowsTheDpiOfItsMonitor) {
  Open();
  const HWND hwnd = window.Handle();
  const RECT start = e2e::RectOf(hwnd);
  const std::map<int, RECT> at96 = Placements(hwnd);
  ASSERT_EQ(at96.size(), 21u);
  for (const int dpi : {120, 144, 192, 96}) {
    const RECT suggested = MoveToDpi(dpi, start), now = e2e::RectOf(hwnd);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << dpi;
    for (const auto& [id, r] : Placements(hwnd)) {
      const RECT was = at96.at(id);
      const auto scaled = [&](LONG pixels) { return MulDiv(pixels, dpi, 96); };
      const bool list = id == ids::kCbo切替対象 || id == ids::kCbo切替スクリプト;
      EXPECT_TRUE(r.left == scaled(was.left) && r.top == scaled(was.top) && r.right - r.left == scaled(was.right - was.left) &&
                  (list || r.bottom - r.top == scaled(was.bottom - was.top))) << id << " at " << dpi;
    }
    // Collapsed, the boxes are off and hidden (so a reader walking the window does not find them).
    for (const auto& [twips, boxesOn] : {std::pair{kExpandedHeightTwips, 2}, {kCollapsedHeightTwips, 0}}) {
      Details();
      const auto on = [](HWND box) { return IsWindowEnabled(box) && IsWindowVisible(box); };
      EXPECT_EQ(e2e::OuterSize(hwnd).cy * 10 + on(C(ids::kReplyBox)) + on(C(ids::kRequestBox)), TwipsToPixels(twips, dpi) * 10 + boxesOn)
          << dpi;
    }
  }
}

// A title bar taller than the design's takes nothing from the controls: the window grows by what it
// takes, and 詳細 still toggles between exactly two heights.
TEST_F(Window, NothingIsClippedUnderATallTitleBar) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  struct Restore {
    NONCLIENTMETRICSW old;
    ~Restore() { SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof old, &old, 0); }
  } restore{metrics};
  metrics.iCaptionHeight = 40;
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  Open();
  // The lowest and rightmost control of each view, in turn, lies inside the client area.
  std::vector<LONG> heights;
  for (const int last : {ids::kLoadButtonsFrame, ids::kReplyFrame, ids::kLoadButtonsFrame, ids::kReplyFrame}) {
    RECT client, r = e2e::RectOf(C(last));
    GetClientRect(window.Handle(), &client);
    MapWindowPoints(HWND_DESKTOP, window.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(r.bottom <= client.bottom && r.right <= client.right) << last << " ends at " << r.bottom << ", the client area at " << client.bottom;
    heights.push_back(e2e::OuterSize(window.Handle()).cy);
    Details();
  }
  EXPECT_TRUE(heights[0] == heights[2] && heights[1] == heights[3] && heights[0] > 195 && heights[1] > 379)
      << heights[0] << " " << heights[1];
}

// Under a dark scheme without high contrast, the boxes and the frames keep their light grey, and
// their text stays dark on it. (With high contrast on, the picture shows the scheme's colours.)
TEST_F(Window, TextReadsUnderTheUsersColours) {
  Open();
  Details();
  const DarkScheme scheme;  // its WM_SYSCOLORCHANGE has the window ask again
  Painted();
  EXPECT_GT(e2e::DarkPixels(C(ids::kRequestBox), 100), 0);
  for (const int frame : {ids::kRequestFrame, ids::kReplyFrame}) {
    RECT caption = e2e::RectOf(C(frame));  // the strip above the box, where the caption stands
    caption.bottom = e2e::RectOf(C(frame == ids::kRequestFrame ? ids::kRequestBox : ids::kReplyBox)).top;
    EXPECT_GT(e2e::DarkPixelsIn(caption, 100), 0) << frame;
  }
}

template <typename Work>
DWORD WINAPI RunOnThread(void* work) {
  (*static_cast<Work*>(work))();
  return 0;
}

// A package check that takes its time, as one on an offline network path does. Keys typed meanwhile
// neither close the message that follows unseen nor press 切替 again once it is closed.
TEST_F(Window, KeysTypedDuringASlowPackageCheckAreGone) {
  struct SlowFiles : FileSystem {
    UniqueHandle checking{CreateEventW(nullptr, TRUE, FALSE, nullptr)}, go{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    uint64_t LastWriteTime(TextView) const override {
      SetEvent(checking.Get());
      WaitForSingleObject(go.Get(), 10000);
      return 0;  // no such package
    }
    bool IsOrdinaryFile(TextView path) const override { return LastWriteTime(path) != 0; }
    std::unique_ptr<ByteStream> OpenRead(TextView) const override { return nullptr; }
  } files;
  NoteTable table;
  table.intNoteCount = 1;
  table.Notes[0] = {8, u"付箋8", {u"C:\\ソフト\\表示.ugu"}, 1, u""};
  int switches = 0;
  Open();
  LoadContext load{table, window, files, host.Dscp(), [] { return int16_t{1}; }, state.strSendText, state.strReceiveText};
  window.Attach(&app, {nullptr, nullptr, [&] { ++switches, Cmd切替_Click(load); }, nullptr});
  Painted();
  SetFocus(C(ids::kCmd切替));
  // The user, on another thread: Enter and Space during the check, then whether the message stays
  // up while its thread reads its queue again and again; OK closes it.
  std::atomic<bool> stayed{false}, done{false};
  auto typing = [&] {
    WaitForSingleObject(files.checking.Get(), 10000);
    e2e::Press(VK_RETURN), e2e::Press(VK_SPACE);
    SetEvent(files.go.Get());
    for (int boxes = 0; !done; Sleep(10)) {
      HWND box = FindWindowW(L"#32770", nullptr);
      if (!box || !IsWindowVisible(box)) continue;
      bool alive = true;
      for (int i = 0; i < 5 && alive; ++i) alive = e2e::Send(box, WM_NULL) != -1 && IsWindow(box);
      stayed = alive && ++boxes == 1;
      e2e::PressOk(box);
      e2e::WaitUntil([&] { return !IsWindow(box); });
    }
  };
  const UniqueHandle user(CreateThread(nullptr, 0, RunOnThread<decltype(typing)>, &typing, 0, nullptr));
  SendMessageW(C(ids::kCmd切替), BM_CLICK, 0, 0);
  Pump();
  done = true;
  WaitForSingleObject(user.Get(), 10000);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(switches, 1);
}

// The expanded window at 144 DPI and under high contrast, as pictures.
TEST_F(Window, Pictures) {
  Open();
  const RECT start = e2e::RectOf(window.Handle());
  MoveToDpi(144, start);
  Details();
  Picture(L"karuvel-144dpi");
  Details();
  MoveToDpi(96, start);
  HighContrastAnswer::on = true;
  const DarkScheme scheme;
  Details();  // a view shown under high contrast
  Picture(L"karuvel-high-contrast");
}

}  // namespace
}  // namespace karuvel
