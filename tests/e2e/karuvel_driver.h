// Drives the real karuvel.exe from another process as a user would: prepares ZMemo's registry
// value, memo.ini and the stand-in host, launches the program, chooses, clicks, drops through
// drop_source.exe and reads texts and message boxes. Reads time out, so a blocked program cannot
// hang a test.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/owners_win.h"
#include "tests/win/test_processes.h"

namespace karuvel::e2e {

std::wstring KaruvelExePath();  // as given on the test program's command line
std::wstring StandinDir();      // the directory of karuvel.exe and the stand-ins, ending in "\"
std::wstring UserName();        // as GetUserNameA gives it
std::string Ansi(const std::wstring& text);  // to the ANSI code page (932 in the test prefix)
std::string Utf8Of(const std::wstring& text);

// HKCU\Software\ZZ-soft\ZMemo value "Root" as REG_SZ; nullopt removes the key.
void SetZMemoRoot(const std::optional<std::wstring>& root);
// A fresh root <temp>\karuvel-e2e\<name> with the user's directory; the demo's notes and script
// packages installed when `demo`.
std::wstring MakeZMemoRoot(const std::wstring& name, bool demo = false);
std::wstring MemoIniOf(const std::wstring& root);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 5000);

// Points chc_dscp.dll at a fresh port for this process and every program started after.
int UseFreshPort();
// The stand-in ZMemo host on that port (zmemo_host.exe serve <options>), killed when destroyed.
class ZMemoHost : public StandinHost {
 public:
  explicit ZMemoHost(const std::wstring& options);
};
// A named event the host's --hold-event waits on before each reply.
class ReplyHold {
 public:
  ReplyHold();
  std::wstring Option() const { return L" --hold-event " + name_; }
  void Release() const { SetEvent(event_.Get()); }

 private:
  std::wstring name_;
  UniqueHandle event_;
};

// One launched karuvel.exe, ended if still running when destroyed.
class Karuvel {
 public:
  Karuvel() = default;
  Karuvel(const Karuvel&) = delete;
  Karuvel& operator=(const Karuvel&) = delete;
  ~Karuvel();

  bool Start(const std::wstring& exe = KaruvelExePath());
  DWORD Pid() const { return pid_; }
  bool Running() const;
  std::optional<DWORD> WaitExit(DWORD ms = 5000) const;
  HWND WaitWindow(DWORD ms = 10000) const;
  // The window once the note list holds `entries` entries and the window takes drops.
  HWND WaitReady(int entries, DWORD ms = 10000) const;
  HWND WaitMessageBox(DWORD ms = 5000) const;
  HWND Control(int id) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

HWND MainWindowOf(DWORD pid);
std::vector<HWND> MessageBoxesOf(DWORD pid);
std::wstring ReadText(HWND window);
std::vector<std::wstring> ListEntries(HWND combo);
int ListSelection(HWND combo);
bool IsEnabled(HWND window);
SIZE OuterSize(HWND window);
RECT RectInContainer(HWND control);  // in its container's client coordinates
HWND FocusOf(HWND window);
POINT CentreOf(HWND window);

// A user's choice (CBN_SELCHANGE to the list's parent, handled before this returns) and click.
void Choose(HWND combo, int index);
void Click(HWND button);
void SetEditText(HWND edit, const std::wstring& text);
std::wstring MessageBoxText(HWND box);
void PressOk(HWND box);
bool MutexExists(const char* name);

// A drop made by drop_source.exe at a screen point, running in the background. `kind` "" drops
// files, "--text" drops plain text, "--move-only" files from a source that offers only a move.
class Drop {
 public:
  Drop(POINT at, const std::vector<std::wstring>& files, const std::wstring& kind = L"");
  ~Drop();
  Drop(const Drop&) = delete;
  Drop& operator=(const Drop&) = delete;
  // The effect the target chose once the source has its answer; -1 when it does not end in time.
  int Wait(DWORD ms = 10000);

 private:
  HANDLE process_ = nullptr;
};

}  // namespace karuvel::e2e
