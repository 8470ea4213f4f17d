// Drives the real karuvel.exe from another process as a user would: prepares ZMemo's registry
// value and memo.ini, launches the program, finds its window and controls, chooses list entries,
// presses buttons, reads texts and message boxes. Shared by every end-to-end test.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/win/test_processes.h"

namespace karuvel::e2e {

// karuvel.exe as given on the test program's command line.
std::wstring KaruvelExePath();
// The logged-on user's name as GetUserNameA gives it, converted from the ANSI code page.
std::wstring UserName();

// Text to the ANSI code page (code page 932 in the test prefix), for memo.ini contents.
std::string Ansi(const std::wstring& text);
// UTF-8, for test messages.
std::string Utf8Of(const std::wstring& text);

// ZMemo's registry value "Root" under HKCU\Software\ZZ-soft\ZMemo: written as REG_SZ, or with
// nullopt the whole key removed.
void SetZMemoRoot(const std::optional<std::wstring>& root);

// A fresh ZMemo install root for one test case: <temp>\karuvel-e2e\<name>, with the user's
// directory below USERS made. Nothing else is in it.
std::wstring MakeZMemoRoot(const std::wstring& name);
// root + "\USERS\" + user + "\memo.ini".
std::wstring MemoIniOf(const std::wstring& root);
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// Polls `condition` until it holds or `ms` pass; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 5000);

// One launched karuvel.exe. Ends the process, if still running, when destroyed.
class Karuvel {
 public:
  Karuvel() = default;
  Karuvel(const Karuvel&) = delete;
  Karuvel& operator=(const Karuvel&) = delete;
  ~Karuvel();

  bool Start();
  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  bool Running() const;
  // Waits for the end of the process; the exit code when it ended in time.
  std::optional<DWORD> WaitExit(DWORD ms = 5000) const;

  // The process's visible main window; null when it has none within `ms`.
  HWND WaitWindow(DWORD ms = 10000) const;
  // The main window once its note list holds `entries` entries (the start-up's load is done) and it
  // takes drops.
  HWND WaitReady(int entries, DWORD ms = 10000) const;
  // A visible message box of this process; null when none shows within `ms`.
  HWND WaitMessageBox(DWORD ms = 5000) const;
  // The control with this identifier anywhere in the main window.
  HWND Control(int id) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// The visible main window of a process, or null.
HWND MainWindowOf(DWORD pid);

// Reads, with timeouts so a blocked program cannot hang the test.
std::wstring ReadText(HWND window);
std::vector<std::wstring> ListEntries(HWND combo);
int ListSelection(HWND combo);
bool IsEnabled(HWND window);
SIZE OuterSize(HWND window);
// A control's rectangle in its container's client coordinates.
RECT RectInContainer(HWND control);
// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);

// Acts as a user would: the choice raises CBN_SELCHANGE to the list's parent.
void Choose(HWND combo, int index);
void Click(HWND button);
void SetEditText(HWND edit, const std::wstring& text);

// A message box's text, and its dismissal with OK.
std::wstring MessageBoxText(HWND box);
void PressOk(HWND box);
// All visible message boxes of a process.
std::vector<HWND> MessageBoxesOf(DWORD pid);

// True when a mutex of that name exists (it can be opened).
bool MutexExists(const char* name);

// Saves what the screen shows of `window` as a 24-bit BMP (for tools/run.sh's screenshots).
bool SaveScreenshot(HWND window, const std::wstring& path);

}  // namespace karuvel::e2e
