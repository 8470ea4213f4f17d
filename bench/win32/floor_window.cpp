// The floor of the start-up benchmark: a Win32 program with no logic and no files that makes the
// window Karuvel's content needs at least, with standard controls only: the same top-level window,
// 5 group boxes, 6 statics (labels and the bar), the two drop-down lists, 4 buttons and the two
// read-only edits, the same fonts by name, and the first list holding 3 items once it shows.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>

namespace {

// Twips of the layout, converted with the screen's DPI as Karuvel does.
struct Child {
  int id;
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;  // twips, in the window's client area
  const wchar_t* caption;
  int font;  // 0 main, 1 version, 2 title
};

constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP | WS_DISABLED;
constexpr int kDropDownListTwips = 2400;
constexpr int kNoteListId = 109;  // what startup_bench reads, as in Karuvel

constexpr Child kChildren[] = {
    {118, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 3240, 120, 1755, 315, L"Karuvel", 2},
    {117, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 3180, 120, 1755, 315, L"Karuvel", 2},
    {116, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 4620, 240, 1155, 255, L"Ver.0.15", 1},
    {119, L"STATIC", SS_GRAYRECT, 0, 180, 360, 5715, 135, L"", 0},
    {107, L"BUTTON", BS_GROUPBOX, 0, 180, 600, 5775, 1215, L"切替対象", 0},
    {kNoteListId, L"COMBOBOX", kList, 0, 1260, 960, 4515, 300 + kDropDownListTwips, L"", 0},
    {108, L"COMBOBOX", kList, 0, 1260, 1320, 4515, 300 + kDropDownListTwips, L"", 0},
    {110, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 300, 1020, 975, 195, L"付箋", 0},
    {111, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 300, 1380, 1695, 195, L"スクリプト", 0},
    {101, L"BUTTON", BS_GROUPBOX, 0, 1620, 1800, 1275, 675, L"", 0},
    {102, L"BUTTON", kPush, 0, 1800, 2040, 855, 315, L"詳細", 0},
    {103, L"BUTTON", BS_GROUPBOX, 0, 2940, 1800, 3015, 675, L"", 0},
    {105, L"BUTTON", kPush, 0, 3120, 2040, 855, 315, L"切替", 0},
    {106, L"BUTTON", kPush, 0, 4020, 2040, 855, 315, L"再読込", 0},
    {104, L"BUTTON", kPush, 0, 4920, 2040, 855, 315, L"終了", 0},
    {114, L"BUTTON", BS_GROUPBOX, 0, 180, 2580, 5775, 1275, L"送信文字列", 0},
    {115, L"EDIT", kEdit, WS_EX_CLIENTEDGE, 360, 2880, 5415, 855, L"", 0},
    {112, L"BUTTON", BS_GROUPBOX, 0, 180, 3900, 5775, 1275, L"受信文字列", 0},
    {113, L"EDIT", kEdit, WS_EX_CLIENTEDGE, 360, 4200, 5415, 855, L"", 0},
};

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HFONT Font(const wchar_t* face, int decipoints, int weight, BYTE charset, BYTE family, int dpi) {
  return CreateFontW(-MulDiv(decipoints, dpi, 720), 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, family, face);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const HFONT fonts[] = {
      Font(L"ＭＳ ゴシック", 90, FW_NORMAL, SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN, dpi),
      Font(L"Arial Black", 98, FW_BLACK, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi),
      Font(L"Arial Black", 120, FW_BLACK, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi),
  };
  const HBRUSH background = CreateSolidBrush(RGB(224, 224, 224));

  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = Proc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  cls.hbrBackground = background;
  cls.lpszClassName = L"FloorWindow";
  RegisterClassExW(&cls);
  const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = px(6240), height = px(2925);
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"FloorWindow", L"Floor",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                                work.left + (work.right - work.left - width) / 2,
                                work.top + (work.bottom - work.top - height) / 2, width, height, nullptr,
                                nullptr, instance, nullptr);
  for (const Child& c : kChildren) {
    HWND child = CreateWindowExW(c.exStyle, c.cls, c.caption, WS_CHILD | WS_VISIBLE | c.style, px(c.left),
                                 px(c.top), px(c.width), px(c.height), window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[c.font]), FALSE);
  }
  ShowWindow(window, SW_SHOW);
  HWND list = GetDlgItem(window, kNoteListId);
  SetFocus(list);
  for (const wchar_t* note : {L"1 : E1", L"2 : E2", L"3 : E3"})
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(note));
  SendMessageW(list, CB_SETCURSEL, 0, 0);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(window);
  for (HFONT font : fonts) DeleteObject(font);
  DeleteObject(background);
  return 0;
}
