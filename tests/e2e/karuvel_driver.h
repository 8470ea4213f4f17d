// Drives the real karuvel.exe from another process as a user would: ZMemo's registry value and
// memo.ini, the stand-in host, the launch, choices, clicks, drops made by drop_source.exe, texts
// and message boxes. Waits time out, so a blocked program cannot hang a test.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/owners_win.h"
#include "tests/win/test_processes.h"

namespace karuvel::e2e {

std::string Ansi(const std::wstring& text);
// HKCU\Software\ZZ-soft\ZMemo value "Root"; nullopt removes the key.
void SetZMemoRoot(const std::optional<std::wstring>& root);
// A fresh root <temp>\karuvel-e2e\<name> with the user's directory, and with the demo installed
// (notes, packages, the registry value) when `demo`.
std::wstring MakeZMemoRoot(const std::wstring& name, bool demo = false);
std::wstring MemoIniOf(const std::wstring& root);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 5000);

// The stand-in host, zmemo_host.exe serve <options>, on `port` (0: a port of its own), which every
// program started afterwards uses. Killed when destroyed.
class ZMemoHost {
 public:
  explicit ZMemoHost(const std::wstring& options, int port = 0);
  ~ZMemoHost();
  bool Started() const { return started_; }
  std::vector<std::string> Requests() const;  // every request received so far, byte for byte

 private:
  UniqueHandle process_;
  std::wstring log_;
  bool started_ = false;
};

// karuvel.exe started when constructed, and ended when destroyed if it still runs.
class Karuvel {
 public:
  explicit Karuvel(const std::wstring& exe = BuildDir() + L"karuvel.exe");
  ~Karuvel();
  bool Running() const { return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT; }
  std::optional<DWORD> WaitExit(DWORD ms = 5000) const;
  HWND Window() const;
  std::vector<HWND> MessageBoxes() const;
  // The window once the note list holds `entries` entries and the window takes drops.
  HWND WaitReady(int entries) const;
  HWND WaitMessageBox() const;
  HWND Control(int id) const;
  // The one message box closed with OK: its text, or "(none)"; marked when the box is not as every
  // box must be (caption "KARUVEL", OK only, owned by the window) or does not go.
  std::wstring CloseMessageBox() const;

  DWORD pid = 0;  // set by the start, so before the handle
  UniqueHandle process;
};

std::wstring ReadText(HWND window);
std::vector<std::wstring> ListEntries(HWND combo);
int ListSelection(HWND combo);
SIZE OuterSize(HWND window);
POINT CentreOf(HWND window);
// A user's choice (its handling has run when this returns) and a click.
void Choose(HWND combo, int index);
void Click(HWND button);
void SetEditText(HWND edit, const std::wstring& text);
std::wstring MessageBoxText(HWND box);
void PressOk(HWND box);
// An expected text (UTF-8, from tests/expected_messages.h) with its {path}.
std::wstring Expected(const char* utf8, const std::wstring& path = L"");
bool MutexExists(const char* name);

// A drop made by drop_source.exe at a screen point: files, or with `kind` "--text" plain text, or
// with "--move-only" files from a source that offers only a move. Started at once; Wait gives
// the effect the source was told once it has its answer, -1 when that does not come.
class Drop {
 public:
  Drop(POINT at, const std::vector<std::wstring>& files, const std::wstring& kind = L"");
  int Wait();

 private:
  UniqueHandle process_;
};

}  // namespace karuvel::e2e
