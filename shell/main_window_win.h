// MainWindow, Karuvel's only window, on raw Win32 and the dialog manager: the controls of the
// layout at the window's DPI, the MainView the handlers work on, the busy state of a load, the
// dispatch of control notifications, and drops kept for the window's own thread.
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
#include "shell/window_layout_win.h"
#include "shell/window_look_win.h"

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

  // Before Show: a label paints no background of its own, so a new text would stand over the old.
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
  // Every control gets the fonts and the place of the layout at dpi_.
  void PlaceControls();
  // Asks again for high contrast; repaints when anything may look otherwise, or always with `repaint`.
  void UpdateLook(bool repaint);
  // Throws away all input the thread has received, and any composition the IME made of it.
  void DiscardInput() const;
  // Shows the controls of the view heightTwips_ designs and hides the others; high contrast leaves
  // out the title's shadow, as it leaves out the bar.
  void ShowViewControls();

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  int dpi_ = 96;
  // The last height set and the pixels it was set as (Windows' own after a change of DPI), so that
  // reading it back is exact at any DPI.
  int heightTwips_ = 0;
  int heightPixels_ = 0;
  bool busy_ = false;
  HWND focusBeforeBusy_ = nullptr;  // the button that had the focus when it was disabled
  HWND focusParked_ = nullptr;      // where the focus went meanwhile, if the window was active
  HWND focusWhenInactive_ = nullptr;  // the control the dialog manager gives the focus back to
  App* app_ = nullptr;
  WindowActions actions_;
  SRWLOCK dropsLock_ = SRWLOCK_INIT;
  std::deque<DropData> drops_;  // dropped, not yet handled; shared with the drop thread
  std::array<HWND, 32> controls_{};
  AccessibilityLibrary accessibility_;
  WindowFonts fonts_;
  WindowLook look_;
};

// Runs the window's messages until the process ends, the dialog manager taking the keys that move
// between controls.
int RunMessageLoop(const MainWindow& window);

}  // namespace karuvel
