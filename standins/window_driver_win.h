// Drives karuvel.exe from another process as a user would: the launch, its window and controls,
// choices, clicks, texts and message boxes. The demo's screenshots use it as it is; the tests and the
// soak through tests/e2e/karuvel_driver.h on top of it. Waits time out, so a blocked program cannot
// hang its driver.
#pragma once

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/owners_win.h"
#include "shell/control_ids.h"

namespace karuvel::e2e {

inline std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// Starts a command line, in `dir` when given, and shown as `show` asks when not -1 (as a shortcut's
// "run minimised" asks); the process handle (the caller closes it) or null. `pid` gets its id.
inline HANDLE Launch(std::wstring commandLine, DWORD* pid = nullptr, const std::wstring& dir = L"", int show = -1) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (show >= 0) si.dwFlags = STARTF_USESHOWWINDOW, si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                      &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)
             ? static_cast<LRESULT>(result) : -1;
}

// A text by its length message and its text message; `item` -1 for a window's own text.
inline std::wstring TextOf(HWND window, UINT lengthMessage, UINT textMessage, LRESULT item = -1) {
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(Send(window, lengthMessage, item < 0 ? 0 : item), 0)) + 1, L'\0');
  const WPARAM wParam = item < 0 ? text.size() : static_cast<WPARAM>(item);
  text.resize(static_cast<size_t>(std::max<LRESULT>(Send(window, textMessage, wParam, reinterpret_cast<LPARAM>(&text[0])), 0)));
  return text;
}

inline std::wstring ReadText(HWND window) { return TextOf(window, WM_GETTEXTLENGTH, WM_GETTEXT); }

inline std::vector<std::wstring> ListEntries(HWND combo) {
  std::vector<std::wstring> entries;
  for (LRESULT i = 0, count = combo ? Send(combo, CB_GETCOUNT) : 0; i < count; ++i)
    entries.push_back(TextOf(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
  return entries;
}

// A user's choice (its handling has run when this returns) and a click.
inline void Choose(HWND combo, int index) {
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
  Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}
inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
inline void PressOk(HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

inline bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 5000) {
  for (const ULONGLONG end = GetTickCount64() + ms; !condition(); Sleep(10))
    if (GetTickCount64() >= end) return false;
  return true;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  return static_cast<bool>(std::ofstream(path.c_str(), std::ios::binary) << bytes);
}

inline BOOL CALLBACK FindControl(HWND child, LPARAM param) {
  auto& find = *reinterpret_cast<std::pair<int, HWND>*>(param);
  if (GetDlgCtrlID(child) == find.first) find.second = child;
  return find.second == nullptr;
}

// karuvel.exe started when constructed, and ended when destroyed if it still runs.
class KaruvelProcess {
 public:
  explicit KaruvelProcess(const std::wstring& exe, const std::wstring& dir = L"", int show = -1)
      : process(Launch(Quoted(exe), &pid, dir, show)) {}
  ~KaruvelProcess() {
    if (Running()) TerminateProcess(process.Get(), 1);
    if (process) WaitForSingleObject(process.Get(), 5000);
  }
  bool Running() const { return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT; }
  // The visible top-level windows of a class that belong to the process.
  std::vector<HWND> TopLevel(const wchar_t* cls) const {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, cls, nullptr)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == pid && IsWindowVisible(window)) found.push_back(window);
    }
    return found;
  }
  HWND Window() const {
    const std::vector<HWND> found = TopLevel(L"Karuvel");  // one walk of the top-level windows
    return found.empty() ? nullptr : found.front();
  }
  std::vector<HWND> MessageBoxes() const { return TopLevel(L"#32770"); }
  HWND Control(int id) const {
    std::pair<int, HWND> find{id, nullptr};
    if (HWND window = Window()) EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&find));
    return find.second;
  }
  // The window once the note list holds `entries` entries and the window takes drops (the drop
  // thread marks it once OLE has registered it).
  HWND WaitReady(int entries) const {
    return WaitUntil([&] { return ListEntries(Control(ids::kCbo切替対象)).size() == static_cast<size_t>(entries) &&
                                  GetPropW(Window(), L"OleDropTargetInterface"); }, 10000) ? Window() : nullptr;
  }
  // True once the program has handled everything sent or posted to it so far, a queued drop
  // included, and still runs: a marker posted behind it all has come through. The marker is the
  // request box's typing limit, which means nothing in a read-only box. Keys from SendInput are
  // read after posted messages: wait for their own effect instead.
  bool Settle() const {
    static WPARAM marker = 0x5E77;
    const WPARAM mine = ++marker;
    HWND box = Control(ids::kRequestBox);
    if (!box || !PostMessageW(box, EM_SETLIMITTEXT, mine, 0)) return false;
    return WaitUntil([&] { return !Running() || Send(box, EM_GETLIMITTEXT) == static_cast<LRESULT>(mine); }, 10000) &&
           Running();
  }
  HWND WaitMessageBox() const {
    std::vector<HWND> boxes;
    WaitUntil([&] { return !(boxes = MessageBoxes()).empty() || !Running(); });
    return boxes.empty() ? nullptr : boxes.front();
  }

  DWORD pid = 0;  // set by the start, so before the handle
  UniqueHandle process;
};

}  // namespace karuvel::e2e
