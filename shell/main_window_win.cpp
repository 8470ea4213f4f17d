// MainWindow itself: its class on the dialog manager, the creation of its controls, its window
// procedure (notifications, colours asked by the controls, DPI and settings changes, closing), the
// drops kept for its thread, and the message loop.
#include "shell/main_window_win.h"

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

// Posted for each drop kept by QueueDrop.
constexpr UINT kDropQueued = WM_APP + 1;

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

// A dialog's class, so that the dialog manager keeps the focus across activations, moves it on
// its keys and keeps the default button with it. No class icons (the window's own follow its DPI)
// and no class brush (the window paints its background itself).
DWORD RegisterMainClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = proc;
  main.cbWndExtra = DLGWINDOWEXTRA;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.lpszClassName = kMainWindowClass;
  return RegisterClassExW(&main) ? 0 : GetLastError();
}

// The system's class and styles for a control of `kind`.
const wchar_t* ClassOf(Kind kind, DWORD& styles, DWORD& exStyles) {
  switch (kind) {
    case Kind::Frame:
      exStyles = WS_EX_CONTROLPARENT;
      return kFrameClass;
    case Kind::Button:
      styles |= BS_PUSHBUTTON | WS_TABSTOP;
      return L"BUTTON";
    case Kind::DropDown:
      styles |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      return L"COMBOBOX";
    case Kind::TextBox:
      styles |= ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP;
      exStyles = WS_EX_CLIENTEDGE;
      return L"EDIT";
    case Kind::Label:
    case Kind::Shape:
      styles |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;  // one line, as the title and the version are
      return L"STATIC";
    case Kind::ListName:
      styles |= SS_LEFT | SS_NOPREFIX;
      return L"STATIC";
  }
  return L"STATIC";
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

void MainWindow::PlaceControls() {
  WindowFonts old = std::move(fonts_);  // deleted once no control holds them
  fonts_.Make(dpi_);
  for (const ControlLayout& c : kLayout) {
    const RECT at = PlaceOf(c, dpi_);
    SendMessageW(Control(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Of(c.face)), FALSE);
    SetWindowPos(Control(c.id), nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void MainWindow::UpdateLook(bool repaint) {
  if (!look_.Update(repaint)) return;
  ShowViewControls();
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

DWORD MainWindow::Load(HINSTANCE instance) {
  dpi_ = WindowDpi(nullptr);  // the screen's, until the window is on its monitor
  if (const DWORD error = RegisterMainClass(instance, WindowProc)) return error;
  if (const DWORD error = RegisterControlClasses(instance)) {
    UnregisterClassW(kMainWindowClass, instance);
    return error;
  }
  instance_ = instance;

  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const SIZE size = OuterPixels(kCollapsedHeightTwips, dpi_);
  hwnd_ = CreateWindowExW(kMainExStyle, kMainWindowClass, kMainWindowCaption, kMainStyle,
                          work.left + (work.right - work.left - size.cx) / 2,
                          work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy, nullptr,
                          nullptr, instance, this);
  if (!hwnd_) return GetLastError();
  // The monitor the window came up on can have another DPI than the screen's it was sized at.
  dpi_ = WindowDpi(hwnd_);
  look_.UpdateIcons(hwnd_, instance_, dpi_);

  // Made first, then given their fonts and places as a change of DPI gives them.
  for (const ControlLayout& c : kLayout) {
    // Each control is a group of its own for the arrow keys, but for the row 切替, 再読込, 終了;
    // so an arrow key never lands on a control that cannot take the focus.
    DWORD styles = WS_CHILD | WS_VISIBLE | (c.id == kCmd再読み込み || c.id == kCmd終了 ? 0 : WS_GROUP);
    DWORD exStyles = 0;
    const wchar_t* cls = ClassOf(c.kind, styles, exStyles);
    // Frames of opaque controls need not paint beneath them. (切替対象's labels show through; a
    // text box's label has no size.)
    if (c.kind == Kind::Frame && c.id != kFraパネル) styles |= WS_CLIPCHILDREN;
    HWND control = CreateWindowExW(exStyles, cls, c.caption, styles, 0, 0, 0, 0, c.parent ? Control(c.parent) : hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (!control) return GetLastError();
    controls_[c.id - kFirstControlId] = control;
  }
  look_.Update(true);  // before the view is shown: it leaves the title's shadow out under high contrast
  PlaceControls();
  SetOuterHeightTwips(kCollapsedHeightTwips);
  for (const auto& b : kBehaviours)
    AddControlBehaviour(Control(b.id), b.behaviour, accessibility_);  // without it, the system's own
  return 0;
}

void MainWindow::Attach(App* app, WindowActions actions) {
  app_ = app;
  actions_ = std::move(actions);
}

HWND MainWindow::Control(int id) const {
  const int index = id - kFirstControlId;
  return (index >= 0 && index < static_cast<int>(controls_.size())) ? controls_[index] : nullptr;
}

void MainWindow::SetVersionCaption(const Text& caption) { SetWindowTextW(Control(kLblVersion), Wide(caption)); }

// The note list, the first control that takes the focus, gets it once the window is first active,
// whenever that is (see WM_ACTIVATE). Painting follows with the first idle moment: a message box of
// start-up paints it too.
void MainWindow::Show(int showCommand) {
  // The window has a fixed size and no maximise box: a shortcut set to maximise opens it as it is.
  if (showCommand == SW_SHOWMAXIMIZED) showCommand = SW_SHOWNORMAL;
  ShowWindow(hwnd_, showCommand);
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
  switch (id) {
    case kCbo切替対象:
      if (code == CBN_SELCHANGE) Cbo切替対象_Click(*app_);
      return;
    case kCbo切替スクリプト:
      if (code == CBN_SELCHANGE) Cbo切替スクリプト_Click(*app_);
      return;
  }
  // Enter where the focus is on no default button. A button clicked into focus is not made the
  // default by the dialog manager, which sees only the focus its keys move: Enter presses it all the
  // same, as it presses one reached by the keys. Elsewhere (a list) Enter presses nothing.
  if (id == IDOK) {
    HWND focus = GetFocus();
    const int focused = GetDlgCtrlID(focus);
    if (IsChild(hwnd_, focus) && LayoutOf(focused).id == focused && LayoutOf(focused).kind == Kind::Button)
      OnCommand(focused, BN_CLICKED);
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
    ScaleNonClientWithDpi(hwnd);
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefDlgProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case kDropQueued:
      RunQueuedDrop();
      return 0;
    case WM_ERASEBKGND:
      look_.PaintBackground(hwnd_, reinterpret_cast<HDC>(wParam), dpi_);
      return 1;
    case WM_PRINTCLIENT:
      look_.PaintBackground(hwnd_, reinterpret_cast<HDC>(wParam), dpi_);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      // Asked by the controls, and by the labels and frames as they paint.
      const HWND control = reinterpret_cast<HWND>(lParam);
      const int id = GetDlgCtrlID(control);
      if (Control(id) != control) break;
      if (const LRESULT brush = look_.ControlColours(control, LayoutOf(id), message, reinterpret_cast<HDC>(wParam)))
        return brush;
      break;
    }
    case kDpiQuery:
      return dpi_;
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI, or its DPI changed: the fonts and places of that DPI, and
      // the rectangle Windows suggests for it.
      dpi_ = HIWORD(wParam);
      PlaceControls();
      look_.UpdateIcons(hwnd_, instance_, dpi_);
      const RECT& to = *reinterpret_cast<const RECT*>(lParam);
      const SIZE least = OuterPixels(heightTwips_, dpi_);
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
      UpdateLook(false);
      return 0;
    case WM_SYSCOLORCHANGE:
      // The common controls keep colours of their own and learn of new ones only from their parent.
      for (HWND control : controls_)
        if (control) SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
      UpdateLook(true);
      return 0;
    case WM_THEMECHANGED:
      UpdateLook(true);
      return 0;
    case WM_SETCURSOR:
      // Not while a message of the load is up (it disables the window): that waits for the user.
      if (busy_ && IsWindowEnabled(hwnd_)) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE: {
      // A minimised window keeps no focus, and is given it when it is restored. The dialog manager
      // gives back the focus it saved; where it saved none (the first activation, or a start
      // minimised) or cannot give it (a button a load has turned off), the first control gets it,
      // as a dialog made from a template gets it on creation.
      const bool active = LOWORD(wParam) != WA_INACTIVE;
      if (active && HIWORD(wParam)) return 0;
      if (!active && IsChild(hwnd_, GetFocus())) focusWhenInactive_ = GetFocus();  // as the dialog manager saves it
      const LRESULT done = DefDlgProcW(hwnd_, message, wParam, lParam);
      if (active && !IsChild(hwnd_, GetFocus())) SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
      return done;
    }
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
  return DefDlgProcW(hwnd_, message, wParam, lParam);
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
