// MainWindow as the handlers see it (MainView): its lists, text boxes and buttons, the height of
// its view, its messages, and the busy state of a load: the focus parked while the load buttons are
// off, the wait cursor, the input of the wait thrown away, the window painted before the thread blocks.
#include "shell/main_window_win.h"

#include <imm.h>

#include "common/dpi.h"
#include "shell/control_ids.h"

namespace karuvel {

namespace {

using namespace ids;

// Never sent nor posted: a look at the queue for it takes nothing.
constexpr UINT kNeverSent = WM_APP + 2;

// The buttons a request turns off together.
bool IsLoadButton(int id) { return id == kCmd切替 || id == kCmd再読み込み || id == kCmd終了; }

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

}  // namespace

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

void MainWindow::SetButtonEnabled(Button button, bool enabled) {
  HWND control = Control(IdOf(button));
  const bool active = IsChild(hwnd_, GetFocus());
  if (!enabled && (active ? GetFocus() : focusWhenInactive_) == control) {
    // A disabled control loses the focus to nobody: it goes on, once, to the first control that
    // stays on (the load buttons go off together), and comes back when this one is enabled again,
    // unless the user has moved it meanwhile. An inactive window (a drop from another program)
    // keeps it for the dialog manager, which cannot give it to a disabled control on activation.
    if (!focusBeforeBusy_) focusBeforeBusy_ = control;
    HWND next = control;
    do next = GetNextDlgTabItem(hwnd_, next, FALSE);
    while (next && next != control && IsLoadButton(GetDlgCtrlID(next)));
    if (active) SetFocus(next), focusParked_ = GetFocus();
  }
  EnableWindow(control, enabled);
  if (enabled && control == focusBeforeBusy_) {
    // Whatever the window got if it was activated meanwhile (a message of the load) is no choice of
    // the user's, as the input of a load is thrown away.
    HWND focus = GetFocus();
    if (IsChild(hwnd_, focus) && (focus == focusParked_ || !focusParked_)) SetFocus(control);
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

void MainWindow::SetOuterHeightTwips(int twips) {
  heightTwips_ = twips;
  ShowViewControls();
  const SIZE size = OuterPixels(twips, dpi_);
  heightPixels_ = size.cy;
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (r.right - r.left == size.cx && r.bottom - r.top == size.cy) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowViewControls() {
  // Below the client area a control is out of sight, yet a screen reader walking the window finds it.
  for (const ControlLayout& c : kLayout) {
    const bool shown = InView(c, heightTwips_) && !(c.id == kTitleShadow && look_.HighContrast());
    if (!c.parent) ShowWindow(Control(c.id), shown ? SW_SHOWNA : SW_HIDE);
  }
}

void MainWindow::ShowMessage(const Text& text) {
  // Keys typed during a slow package check, or while the request waited, must not close the
  // message unseen.
  if (busy_) DiscardInput();
  MessageBoxW(hwnd_, Wide(text), kMessageCaption, MB_OK);
}

void MainWindow::SetBusy(bool busy) {
  // Keys and clicks that came meanwhile were meant for a window that could not take them: a
  // waiting Space would press 切替 again, a click on the close box would close the window.
  if (!busy) DiscardInput();
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
  if (busy) ShowNow();  // the buttons off, before a package check on a slow network path
}

void MainWindow::DiscardInput() const {
  MSG ignored;
  while (PeekMessageW(&ignored, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {}
  // Touch and pen input, which Windows 8 and later queue apart from the input Windows 7 knows.
  constexpr UINT kTouchFirst = 0x0240, kPointerLast = 0x024F;  // WM_TOUCH to WM_POINTERHWHEEL
  while (PeekMessageW(&ignored, nullptr, kTouchFirst, kPointerLast, PM_REMOVE)) {}
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

}  // namespace karuvel
