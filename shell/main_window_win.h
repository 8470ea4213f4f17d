// MainWindow, Karuvel's only window, on raw Win32: the layout in twips converted with the DPI of
// the monitor the window is on, its colours (the system's under high contrast), the MainView the
// handlers work on, and the dispatch of control notifications and drops.
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <functional>

#include "common/main_view.h"
#include "common/owners_win.h"
#include "dscp/drop_registration.h"
#include "shell/accessible_win.h"
#include "shell/app.h"

namespace karuvel {

// What the window asks of the program when the user ends it, presses a button or drops files.
struct WindowActions {
  std::function<void()> unload;                 // the window is being closed: Form_Unload
  std::function<void()> exitNow;                // Cmd終了
  std::function<void()> switchNow;              // Cmd切替
  std::function<void(const DropData&)> drop;    // files dropped anywhere on the window
};

class MainWindow : public MainView {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Creates the window and its controls, still hidden. 0 when done; otherwise the system's error
  // code of the call that failed.
  DWORD Load(HINSTANCE instance);
  // The handlers the controls' notifications run; set before the window is shown.
  void Attach(App* app, WindowActions actions);

  void SetVersionCaption(const Text& caption);
  // The first show, with the show state the program was started with.
  void Show(int showCommand);
  HWND Handle() const { return hwnd_; }
  HWND Control(int id) const;

  // Whether a drop can be taken now: not while a request waits (切替 is off) nor while a message
  // box of the program is up (the window is off). Asked on the drop thread.
  bool TakesDrops() const;
  // Keeps a drop for the window's own message queue, so the drag source gets its answer at once
  // and the drop's messages and request run after. Called on the drop thread.
  void QueueDrop(DropData data);

  // MainView
  void ListClear(List list) override;
  void ListAdd(List list, const Text& item) override;
  void ListSetSelected(List list, int index) override;
  int ListSelected(List list) const override;
  void SetText(TextBox box, const Text& text) override;
  void SetTextEnabled(TextBox box, bool enabled) override;
  void SetButtonEnabled(Button button, bool enabled) override;
  bool IsButtonEnabled(Button button) const override;
  int OuterHeightTwips() const override;
  void SetOuterHeightTwips(int twips) override;
  void ShowMessage(const Text& text) override;
  void SetBusy(bool busy) override;
  void ShowNow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void RunQueuedDrop();
  void PaintBackground(HDC dc) const;
  int Px(int twips) const;
  void MakeFonts();
  void PlaceControls();
  // The outer size that shows every control of the view `heightTwips` designs, at dpi_.
  SIZE OuterPixels(int heightTwips) const;
  void UpdateIcons();
  // Asks again for high contrast; repaints when it changed, or always with `repaint`.
  void UpdateColours(bool repaint);
  // The control of this window that has the focus, or gets it back when the window is activated.
  HWND OwnFocus() const;
  void GiveFocus(HWND control);
  void RestoreFocus();
  COLORREF Colour(int systemColour, COLORREF designed) const;
  // Throws away all input the thread has received, and any composition the IME made of it.
  void DiscardInput() const;
  // The views: the controls below the collapsed view's client area are hidden there.
  void ShowViewControls();

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  bool highContrast_ = false;
  int dpi_ = 96;
  // The last height set and the pixels it was set as (Windows' own after a change of DPI), so that
  // reading it back is exact at any DPI.
  int heightTwips_ = 0;
  int heightPixels_ = 0;
  bool busy_ = false;
  HWND focus_ = nullptr;  // the control to give the focus back to on activation
  HWND focusBeforeBusy_ = nullptr;  // the button that had the focus when it was disabled
  HWND focusParked_ = nullptr;      // where the focus went meanwhile
  App* app_ = nullptr;
  WindowActions actions_;
  SRWLOCK dropsLock_ = SRWLOCK_INIT;
  std::deque<DropData> drops_;  // dropped, not yet handled; shared with the drop thread
  std::array<HWND, 32> controls_{};
  AccessibilityLibrary accessibility_;
  std::array<UniqueGdiObject, 3> fonts_;  // by Face: main, version, title
  UniqueGdiObject background_, boxFill_, shapeFill_;
  std::array<UniqueIcon, 2> icons_;  // big, small: at the window's DPI
};

// Runs the window's messages until the process ends, with keyboard navigation between controls.
int RunMessageLoop(const MainWindow& window);

}  // namespace karuvel
