#include "shell/main_window_win.h"

#include <imm.h>
#include <oleacc.h>

#include <algorithm>

#include "common/dpi.h"
#include "common/late_bound_win.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/window_classes_win.h"

namespace karuvel {

namespace {

using namespace ids;

constexpr COLORREF kShapeFill = RGB(192, 192, 192);
// Text on the designed background: black, and disabled text a grey that still reads on it.
constexpr COLORREF kDesignedText = RGB(0, 0, 0);
constexpr COLORREF kDesignedGrayText = RGB(109, 109, 109);

// Design sizes, in twips: outside 6240 by 5685 (expanded), inside 6150 by 5310.
constexpr int kOuterWidthTwips = 6240;
constexpr int kNonClientHeightTwips = kExpandedHeightTwips - 5310;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kDropDownListTwips = 2400;  // room for the open list below a drop-down

// Posted for each drop kept by QueueDrop.
constexpr UINT kDropQueued = WM_APP + 1;
// Never sent nor posted: a look at the queue for it takes nothing.
constexpr UINT kNeverSent = WM_APP + 2;

// A ListName is a plain static placed just before the list or text box it names, so that the
// system's accessible objects read it as the control's name; a text box's is of no size, as its
// frame's caption shows the name.
enum class Kind { Frame, Button, DropDown, Label, ListName, TextBox, Shape };
enum class Face { Main, Version, Title };

struct ControlLayout {
  int id;
  int parent;  // 0: the window itself; otherwise the frame that contains the control
  Kind kind;
  int left, top, width, height;  // twips, relative to the container
  const wchar_t* caption;
  Face face;
  COLORREF colour;  // text colour of labels
};

// Creation order is the order of the siblings: the title labels stand above the bar, and the tab
// order runs note list, script list, 詳細, 切替, 再読込, 終了, the request box, the reply box.
constexpr ControlLayout kLayout[] = {
    {kTitleShadow, 0, Kind::Label, 3240, 120, 1755, 315, L"Karuvel", Face::Title, RGB(255, 128, 128)},
    {kTitle, 0, Kind::Label, 3180, 120, 1755, 315, L"Karuvel", Face::Title, RGB(255, 255, 255)},
    {kLblVersion, 0, Kind::Label, 4620, 240, 1155, 255, L"Ver.0.XX", Face::Version, RGB(128, 128, 255)},
    {kTitleBar, 0, Kind::Shape, 180, 360, 5715, 135, L"", Face::Main, 0},
    {kFraパネル, 0, Kind::Frame, 180, 600, 5775, 1215, L"切替対象", Face::Main, 0},
    {kNoteListName, kFraパネル, Kind::ListName, 120, 420, 975, 195, L"付箋", Face::Main, RGB(0, 0, 0)},
    {kCbo切替対象, kFraパネル, Kind::DropDown, 1080, 360, 4515, 300, L"", Face::Main, 0},
    {kScriptListName, kFraパネル, Kind::ListName, 120, 780, 1695, 195, L"スクリプト", Face::Main, RGB(0, 0, 0)},
    {kCbo切替スクリプト, kFraパネル, Kind::DropDown, 1080, 720, 4515, 300, L"", Face::Main, 0},
    {kDetailsFrame, 0, Kind::Frame, 1620, 1800, 1275, 675, L"", Face::Main, 0},
    {kCmd詳細, kDetailsFrame, Kind::Button, 180, 240, 855, 315, L"詳細", Face::Main, 0},
    {kLoadButtonsFrame, 0, Kind::Frame, 2940, 1800, 3015, 675, L"", Face::Main, 0},
    {kCmd切替, kLoadButtonsFrame, Kind::Button, 180, 240, 855, 315, L"切替", Face::Main, 0},
    {kCmd再読み込み, kLoadButtonsFrame, Kind::Button, 1080, 240, 855, 315, L"再読込", Face::Main, 0},
    {kCmd終了, kLoadButtonsFrame, Kind::Button, 1980, 240, 855, 315, L"終了", Face::Main, 0},
    {kRequestFrame, 0, Kind::Frame, 180, 2580, 5775, 1275, L"送信文字列", Face::Main, 0},
    {kRequestBoxName, kRequestFrame, Kind::ListName, 105, 0, 0, 0, L"送信文字列", Face::Main, RGB(0, 0, 0)},
    {kRequestBox, kRequestFrame, Kind::TextBox, 180, 300, 5415, 855, L"", Face::Main, 0},
    {kReplyFrame, 0, Kind::Frame, 180, 3900, 5775, 1275, L"受信文字列", Face::Main, 0},
    {kReplyBoxName, kReplyFrame, Kind::ListName, 105, 0, 0, 0, L"受信文字列", Face::Main, RGB(0, 0, 0)},
    {kReplyBox, kReplyFrame, Kind::TextBox, 180, 300, 5415, 855, L"", Face::Main, 0},
};

constexpr int kFirstId = kDetailsFrame;

// What readers hear where the system's answer would say nothing or mislead: the frames with a
// caption are groups; the title and its bar are decoration. The system's own controls keep the
// system's objects. Keys: see ControlBehaviour.
constexpr struct {
  int id;
  ControlBehaviour behaviour;
} kBehaviours[] = {
    {kRequestBox, {nullptr, 0, false, true}},
    {kReplyBox, {nullptr, 0, false, true}},
    {kFraパネル, {L"切替対象", ROLE_SYSTEM_GROUPING, false, false}},
    {kRequestFrame, {L"送信文字列", ROLE_SYSTEM_GROUPING, false, false}},
    {kReplyFrame, {L"受信文字列", ROLE_SYSTEM_GROUPING, false, false}},
    {kTitle, {nullptr, 0, true, false}},
    {kTitleShadow, {nullptr, 0, true, false}},
    {kTitleBar, {nullptr, 0, true, false}},
};

bool IsPushButton(int id) { return id == kCmd詳細 || id == kCmd切替 || id == kCmd再読み込み || id == kCmd終了; }
// The buttons a request turns off together.
bool IsLoadButton(int id) { return id == kCmd切替 || id == kCmd再読み込み || id == kCmd終了; }

// A view shows the window's controls that begin inside its designed client area.
bool InView(const ControlLayout& c, int heightTwips) { return !c.parent && c.top < heightTwips - kNonClientHeightTwips; }

const ControlLayout& LayoutOf(int id) {
  for (const ControlLayout& c : kLayout)
    if (c.id == id) return c;
  return kLayout[0];  // every id asked for is in the table
}

// Where a control stands in its container at `dpi`, in pixels; a drop-down's height takes in its
// open list.
RECT PlaceOf(const ControlLayout& c, int dpi) {
  const int left = TwipsToPixels(c.left, dpi), top = TwipsToPixels(c.top, dpi);
  const int height = c.kind == Kind::DropDown ? c.height + kDropDownListTwips : c.height;
  return {left, top, left + TwipsToPixels(c.width, dpi), top + TwipsToPixels(height, dpi)};
}

int IdOf(List list) { return list == List::Target ? kCbo切替対象 : kCbo切替スクリプト; }
int IdOf(TextBox box) { return box == TextBox::Reply ? kReplyBox : kRequestBox; }
int IdOf(Button button) {
  switch (button) {
    case Button::Switch: return kCmd切替;
    case Button::Reload: return kCmd再読み込み;
    case Button::Details: return kCmd詳細;
    case Button::Exit: return kCmd終了;
  }
  return kCmd切替;
}

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontExists(const wchar_t* face, BYTE charset) {
  LOGFONTW wanted{};
  wanted.lfCharSet = charset;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  const ScreenDc screen;
  bool found = false;
  EnumFontFamiliesExW(screen.Get(), &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The first of `faces` the system has; without any, the font mapper picks by charset and family.
UniqueGdiObject MakeFont(std::initializer_list<const wchar_t*> faces, int decipoints, int weight,
                         BYTE charset, BYTE family, int dpi) {
  const wchar_t* chosen = L"";
  for (const wchar_t* face : faces) {
    if (FontExists(face, charset)) {
      chosen = face;
      break;
    }
  }
  const int height = -TwipsToPixels(decipoints * kTwipsPerPoint / 10, dpi);
  return UniqueGdiObject(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     family, chosen));
}

// No class icons (the window's own follow its DPI) and no class brush (the window paints its
// background itself, and a class would delete its brush on unregistering).
DWORD RegisterMainClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = proc;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.lpszClassName = kMainWindowClass;
  return RegisterClassExW(&main) ? 0 : GetLastError();
}

// Whether the user has turned high contrast on.
bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (instance_) {
    UnregisterClassW(kMainWindowClass, instance_);
    UnregisterControlClasses(instance_);
  }
}

int MainWindow::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

void MainWindow::MakeFonts() {
  fonts_[static_cast<int>(Face::Main)] = MakeFont({L"ＭＳ ゴシック", L"MS Gothic"}, 90, FW_NORMAL, SHIFTJIS_CHARSET,
                                                  FIXED_PITCH | FF_MODERN, dpi_);
  fonts_[static_cast<int>(Face::Version)] = MakeFont({L"Arial Black", L"Arial", L"Tahoma"}, 98, FW_BLACK,
                                                     ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi_);
  fonts_[static_cast<int>(Face::Title)] = MakeFont({L"Arial Black", L"Arial", L"Tahoma"}, 120, FW_BLACK,
                                                   ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi_);
}

// Every control gets the fonts and the place of the layout at dpi_; the old fonts go once no control
// holds them.
void MainWindow::PlaceControls() {
  const std::array<UniqueGdiObject, 3> old = std::move(fonts_);
  MakeFonts();
  for (const ControlLayout& c : kLayout) {
    const RECT at = PlaceOf(c, dpi_);
    SendMessageW(Control(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[static_cast<int>(c.face)].Get()), FALSE);
    SetWindowPos(Control(c.id), nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

COLORREF MainWindow::Colour(int systemColour, COLORREF designed) const {
  return highContrast_ ? GetSysColor(systemColour) : designed;
}

void MainWindow::UpdateColours(bool repaint) {
  const bool was = highContrast_;
  highContrast_ = SystemHighContrast();
  if (background_ && !repaint && highContrast_ == was) return;
  background_.Reset(CreateSolidBrush(Colour(COLOR_BTNFACE, kWindowBackground)));
  boxFill_.Reset(CreateSolidBrush(Colour(COLOR_WINDOW, kWindowBackground)));
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// The designed size, grown just enough that the view's controls fit in the client area the
// system's title bar and borders leave.
SIZE MainWindow::OuterPixels(int heightTwips) const {
  int right = 0, bottom = 0;
  for (const ControlLayout& c : kLayout) {
    if (!InView(c, heightTwips)) continue;
    right = std::max(right, c.left + c.width);
    bottom = std::max(bottom, c.top + c.height);
  }
  RECT needed{0, 0, Px(right), Px(bottom)};
  ClientToWindowRect(needed, kStyle, kExStyle, dpi_);
  return {std::max<LONG>(Px(kOuterWidthTwips), needed.right - needed.left),
          std::max<LONG>(Px(heightTwips), needed.bottom - needed.top)};
}

// Karuvel's icon (id 1 in karuvel.rc) at the big and small sizes of the window's DPI; the window
// holds the new ones before the old go.
void MainWindow::UpdateIcons() {
  const int metrics[2][2] = {{SM_CXICON, SM_CYICON}, {SM_CXSMICON, SM_CYSMICON}};
  for (int i = 0; i < 2; ++i) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  SystemMetricForDpi(metrics[i][0], dpi_),
                                                  SystemMetricForDpi(metrics[i][1], dpi_), LR_DEFAULTCOLOR)));
    SendMessageW(hwnd_, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon.Get()));
    icons_[i] = std::move(icon);
  }
}

DWORD MainWindow::Load(HINSTANCE instance) {
  dpi_ = WindowDpi(nullptr);  // the screen's, until the window is on its monitor
  UpdateColours(true);
  shapeFill_.Reset(CreateSolidBrush(kShapeFill));
  if (const DWORD error = RegisterMainClass(instance, WindowProc)) return error;
  if (const DWORD error = RegisterControlClasses(instance)) {
    UnregisterClassW(kMainWindowClass, instance);
    return error;
  }
  instance_ = instance;

  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const SIZE size = OuterPixels(kCollapsedHeightTwips);
  hwnd_ = CreateWindowExW(kExStyle, kMainWindowClass, kMainWindowCaption, kStyle,
                          work.left + (work.right - work.left - size.cx) / 2,
                          work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy, nullptr,
                          nullptr, instance, this);
  if (!hwnd_) return GetLastError();
  // The monitor the window came up on can have another DPI than the screen's it was sized at.
  dpi_ = WindowDpi(hwnd_);
  SetOuterHeightTwips(kCollapsedHeightTwips);
  UpdateIcons();

  // Made first, then given their fonts and places as a change of DPI gives them.
  for (const ControlLayout& c : kLayout) {
    HWND parent = c.parent ? Control(c.parent) : hwnd_;
    const wchar_t* cls = L"";
    // Each control is a group of its own for the arrow keys, but for the row 切替, 再読込, 終了;
    // so an arrow key never lands on a control that cannot take the focus.
    DWORD styles = WS_CHILD | WS_VISIBLE | (c.id == kCmd再読み込み || c.id == kCmd終了 ? 0 : WS_GROUP);
    DWORD exStyles = 0;
    switch (c.kind) {
      case Kind::Frame:
        cls = kFrameClass;
        exStyles = WS_EX_CONTROLPARENT;
        // Frames of opaque controls only: they need not paint beneath them. (切替対象's labels show
        // through; a text box's label has no size.)
        if (c.id != kFraパネル) styles |= WS_CLIPCHILDREN;
        break;
      case Kind::Button:
        cls = L"BUTTON";
        styles |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case Kind::DropDown:
        cls = L"COMBOBOX";
        styles |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
      case Kind::TextBox:
        cls = L"EDIT";
        styles |= ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP;
        exStyles = WS_EX_CLIENTEDGE;
        break;
      case Kind::Label:
      case Kind::Shape:
        cls = kLabelClass;
        break;
      case Kind::ListName:
        cls = L"STATIC";
        styles |= SS_LEFT | SS_NOPREFIX;
        break;
    }
    HWND control = CreateWindowExW(exStyles, cls, c.caption, styles, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (!control) return GetLastError();
    controls_[c.id - kFirstId] = control;
  }
  PlaceControls();
  for (const auto& b : kBehaviours)
    AddControlBehaviour(Control(b.id), b.behaviour, accessibility_);  // without it, the system's own
  return 0;
}

void MainWindow::Attach(App* app, WindowActions actions) {
  app_ = app;
  actions_ = std::move(actions);
}

HWND MainWindow::Control(int id) const {
  const int index = id - kFirstId;
  return (index >= 0 && index < static_cast<int>(controls_.size())) ? controls_[index] : nullptr;
}

void MainWindow::SetVersionCaption(const Text& caption) { SetWindowTextW(Control(kLblVersion), Wide(caption)); }

void MainWindow::Show(int showCommand) {
  // The note list has the focus once the window is first active, whenever that is. Painting
  // follows with the first idle moment: a message box of start-up paints it too.
  focus_ = Control(kCbo切替対象);
  ShowWindow(hwnd_, showCommand);
}

void MainWindow::ListClear(List list) { SendMessageW(Control(IdOf(list)), CB_RESETCONTENT, 0, 0); }

void MainWindow::ListAdd(List list, const Text& item) {
  SendMessageW(Control(IdOf(list)), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
}

void MainWindow::ListSetSelected(List list, int index) {
  SendMessageW(Control(IdOf(list)), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int MainWindow::ListSelected(List list) const {
  const LRESULT index = SendMessageW(Control(IdOf(list)), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void MainWindow::SetText(TextBox box, const Text& text) {
  HWND edit = Control(IdOf(box));
  // A new text lays the box out again and redraws its scroll bar at once; an empty box asked to be
  // empty shows no change, and start-up empties both boxes twice.
  if (text.empty() && GetWindowTextLengthW(edit) == 0) return;
  SetWindowTextW(edit, Wide(text));
}

void MainWindow::SetTextEnabled(TextBox box, bool enabled) { EnableWindow(Control(IdOf(box)), enabled); }

HWND MainWindow::OwnFocus() const {
  HWND focus = GetFocus();
  return focus && IsChild(hwnd_, focus) ? focus : focus_;
}

void MainWindow::GiveFocus(HWND control) {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) SetFocus(control);
  else focus_ = control;  // the window is not active (a drop from another program): on activation
}

void MainWindow::RestoreFocus() {
  SetFocus(focus_ && IsWindowEnabled(focus_) ? focus_ : Control(kCbo切替対象));
}

void MainWindow::SetButtonEnabled(Button button, bool enabled) {
  HWND control = Control(IdOf(button));
  if (!enabled && OwnFocus() == control) {
    // A disabled control loses the focus to nobody: it goes on, once, to the first control that
    // stays on (the load buttons go off together), and comes back when this one is enabled again,
    // unless the user has moved it meanwhile.
    if (!focusBeforeBusy_) focusBeforeBusy_ = control;
    HWND next = control;
    do next = GetNextDlgTabItem(hwnd_, next, FALSE);
    while (next && next != control && IsLoadButton(GetDlgCtrlID(next)));
    GiveFocus(next);
    focusParked_ = OwnFocus();
  }
  EnableWindow(control, enabled);
  if (enabled && control == focusBeforeBusy_) {
    if (OwnFocus() == focusParked_ || !OwnFocus()) GiveFocus(control);
    focusBeforeBusy_ = focusParked_ = nullptr;
  }
}

bool MainWindow::IsButtonEnabled(Button button) const { return IsWindowEnabled(Control(IdOf(button))) != FALSE; }

int MainWindow::OuterHeightTwips() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  const int pixels = r.bottom - r.top;
  if (heightTwips_ > 0 && pixels == heightPixels_) return heightTwips_;
  return PixelsToTwips(pixels, dpi_);
}

void MainWindow::ShowViewControls() {
  for (const ControlLayout& c : kLayout) {
    if (c.parent || !Control(c.id)) continue;
    ShowWindow(Control(c.id), InView(c, heightTwips_) ? SW_SHOWNA : SW_HIDE);
  }
}

void MainWindow::SetOuterHeightTwips(int twips) {
  heightTwips_ = twips;
  // Below the client area a control is out of sight, yet a screen reader walking the window finds it.
  ShowViewControls();
  const SIZE size = OuterPixels(twips);
  heightPixels_ = size.cy;
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (r.right - r.left == size.cx && r.bottom - r.top == size.cy) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowMessage(const Text& text) {
  // Keys typed during a slow package check must not close the message unseen.
  if (busy_) DiscardInput();
  MessageBoxW(hwnd_, Wide(text), kMessageCaption, MB_OK);
}

void MainWindow::SetBusy(bool busy) {
  // Keys and clicks that came meanwhile were meant for a window that could not take them: a
  // waiting Space would press 切替 again, a click on the close box would close the window.
  if (!busy) DiscardInput();
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::DiscardInput() const {
  MSG ignored;
  while (PeekMessageW(&ignored, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {}
  // An IME reads keys as they are taken from the queue: what it made of them is dropped too.
  HWND focus = GetFocus();
  if (HIMC context = focus ? ImmGetContext(focus) : nullptr) {
    ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    ImmReleaseContext(focus, context);
  }
}

void MainWindow::ShowNow() {
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Windows' compositor shows what was painted by itself; Wine puts it on the screen when the thread
  // next looks at its queue and finds nothing there.
  MSG none;
  PeekMessageW(&none, hwnd_, kNeverSent, kNeverSent, PM_NOREMOVE | PM_NOYIELD);
}

void MainWindow::PaintBackground(HDC dc) const {
  RECT r;
  GetClientRect(hwnd_, &r);
  FillRect(dc, &r, static_cast<HBRUSH>(background_.Get()));
  // The bar beneath the title, drawn here so the title labels stand on it; high contrast leaves it out.
  if (highContrast_) return;
  const RECT bar = PlaceOf(LayoutOf(kTitleBar), dpi_);
  FillRect(dc, &bar, static_cast<HBRUSH>(shapeFill_.Get()));
}

bool MainWindow::TakesDrops() const { return IsWindowEnabled(hwnd_) && IsWindowEnabled(Control(kCmd切替)); }

void MainWindow::QueueDrop(DropData data) {
  AcquireSRWLockExclusive(&dropsLock_);
  drops_.push_back(std::move(data));
  ReleaseSRWLockExclusive(&dropsLock_);
  PostMessageW(hwnd_, kDropQueued, 0, 0);
}

void MainWindow::RunQueuedDrop() {
  AcquireSRWLockExclusive(&dropsLock_);
  if (drops_.empty()) {
    ReleaseSRWLockExclusive(&dropsLock_);
    return;
  }
  const DropData data = std::move(drops_.front());
  drops_.pop_front();
  ReleaseSRWLockExclusive(&dropsLock_);
  if (app_ && actions_.drop) actions_.drop(data);
}

void MainWindow::OnCommand(int id, int code) {
  if (!app_) return;
  // Enter, as the keyboard navigation reports it when no button is the default: it presses the
  // focused push button, and nothing elsewhere.
  if (id == IDOK) {
    const int focused = GetDlgCtrlID(GetFocus());
    if (IsPushButton(focused) && IsChild(hwnd_, GetFocus())) OnCommand(focused, BN_CLICKED);
    return;
  }
  switch (id) {
    case kCbo切替対象:
      if (code == CBN_SELCHANGE) Cbo切替対象_Click(*app_);
      return;
    case kCbo切替スクリプト:
      if (code == CBN_SELCHANGE) Cbo切替スクリプト_Click(*app_);
      return;
  }
  if (code != BN_CLICKED || !IsWindowEnabled(Control(id))) return;
  switch (id) {
    case kCmd詳細:
      Cmd詳細_Click(*app_);
      break;
    case kCmd再読み込み:
      Cmd再読み込み_Click(*app_);
      break;
    case kCmd切替:
      if (actions_.switchNow) actions_.switchNow();
      break;
    case kCmd終了:
      if (actions_.exitNow) actions_.exitNow();
      break;
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NEXTDLGCTL: {
      // The keyboard navigation's arrow keys ask for a control; a window that is not a dialog moves
      // the focus itself.
      HWND to = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
      if (to && IsChild(hwnd_, to)) SetFocus(to);
      return 0;
    }
    case kDropQueued:
      RunQueuedDrop();
      return 0;
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINTCLIENT:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      // Asked by the controls, and by the labels and frames as they paint.
      const HWND control = reinterpret_cast<HWND>(lParam);
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(control);
      if (Control(id) != control) break;
      const ControlLayout& c = LayoutOf(id);
      if (c.kind == Kind::Label || c.kind == Kind::ListName) {
        // Text only: what lies beneath, the list beside a name or the bar, is never painted over.
        // High contrast leaves out the title's shadow (no brush), as it leaves out the bar.
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Colour(COLOR_BTNTEXT, c.colour));
        return highContrast_ && id == kTitleShadow ? 0 : reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      if (c.kind == Kind::TextBox || c.kind == Kind::Frame || message == WM_CTLCOLORBTN) {
        const bool box = c.kind == Kind::TextBox;
        SetBkColor(dc, box ? Colour(COLOR_WINDOW, kWindowBackground) : Colour(COLOR_BTNFACE, kWindowBackground));
        // The text goes with the background: the designed pair, or the system's under high contrast.
        const COLORREF text = Colour(box ? COLOR_WINDOWTEXT : COLOR_BTNTEXT, kDesignedText);
        SetTextColor(dc, IsWindowEnabled(control) ? text : Colour(COLOR_GRAYTEXT, kDesignedGrayText));
        return reinterpret_cast<LRESULT>((box ? boxFill_ : background_).Get());
      }
      break;
    }
    case kDpiQuery:
      return dpi_;
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI, or its DPI changed: the fonts and places of that DPI, and
      // the rectangle Windows suggests for it.
      dpi_ = HIWORD(wParam);
      PlaceControls();
      UpdateIcons();
      const RECT& to = *reinterpret_cast<const RECT*>(lParam);
      const SIZE least = OuterPixels(heightTwips_);
      heightPixels_ = std::max<int>(to.bottom - to.top, least.cy);
      SetWindowPos(hwnd_, nullptr, to.left, to.top, std::max<int>(to.right - to.left, least.cx), heightPixels_,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return 0;
    }
    case WM_SETTINGCHANGE:
      // A new title bar or border size can take room from the controls; a setting that changes no
      // colour repaints nothing.
      if (wParam == SPI_SETNONCLIENTMETRICS) SetOuterHeightTwips(heightTwips_);
      UpdateColours(false);
      return 0;
    case WM_SYSCOLORCHANGE:
      // The common controls keep colours of their own and learn of new ones only from their parent.
      for (HWND control : controls_)
        if (control) SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
      UpdateColours(true);
      return 0;
    case WM_THEMECHANGED:
      UpdateColours(true);
      return 0;
    case WM_SETCURSOR:
      // Not while a message of the load is up (it disables the window): that waits for the user.
      if (busy_ && IsWindowEnabled(hwnd_)) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
        break;
      }
      // A minimised window keeps no focus: its control gets it back when the window is restored.
      if (!HIWORD(wParam)) RestoreFocus();
      return 0;
    case WM_SETFOCUS:
      // The window itself was given the focus (restored from the taskbar): on to its control.
      if (!IsIconic(hwnd_)) RestoreFocus();
      return 0;
    case WM_CLOSE:
      // Closing ends the program; it can't be cancelled.
      if (actions_.unload) actions_.unload();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam && actions_.unload) actions_.unload();
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

int RunMessageLoop(const MainWindow& window) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace karuvel
