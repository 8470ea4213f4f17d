// What the tests add to driving karuvel.exe: ZMemo's registry value and memo.ini, the stand-in host,
// keys, drops made as a file manager makes them, and the checks every message box must pass.
#pragma once

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/owners_win.h"
#include "shell/control_ids.h"
#include "standins/demo_shots/screenshot_win.h"
#include "standins/window_driver_win.h"
#include "tests/e2e/drag_source.h"

namespace karuvel::e2e {

// The build folder, where karuvel.exe and the stand-ins are: the one above the program's own folder,
// ending in "\".
inline std::wstring BuildDir() {
  wchar_t path[MAX_PATH];
  return std::filesystem::path(path, path + GetModuleFileNameW(nullptr, path, MAX_PATH)).parent_path().parent_path().wstring() + L"\\";
}

inline RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}
inline SIZE OuterSize(HWND window) { const RECT r = RectOf(window); return SIZE{r.right - r.left, r.bottom - r.top}; }
inline POINT CentreOf(HWND window) { const RECT r = RectOf(window); return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

inline std::wstring MessageBoxText(HWND box) { return ReadText(GetDlgItem(box, 0xFFFF)); }

// How many pixels the screen shows in `r` (screen coordinates) whose grey level is below `below`:
// text on the light boxes, or -1 when the screen cannot be read.
inline int DarkPixelsIn(const RECT& r, int below = 128) {
  BITMAPINFOHEADER header{};
  const std::string pixels = ScreenPixels(r, header);
  const size_t stride = header.biSizeImage / std::max<LONG>(header.biHeight, 1);
  int dark = 0;
  for (size_t row = 0; row < pixels.size(); row += stride)
    for (size_t at = row; at < row + 3 * header.biWidth; at += 3)
      dark += static_cast<BYTE>(pixels[at]) + static_cast<BYTE>(pixels[at + 1]) + static_cast<BYTE>(pixels[at + 2]) < 3 * below;
  return pixels.empty() ? -1 : dark;
}

// The same inside `control`'s client area.
inline int DarkPixels(HWND control, int below = 128) {
  RECT r{};
  GetClientRect(control, &r);
  MapWindowPoints(control, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return DarkPixelsIn(r, below);
}

// A click of the left button at a point of the screen, as a user makes it.
inline void ClickAt(POINT at) {
  SetCursorPos(at.x, at.y);
  INPUT clicks[2] = {};
  for (INPUT& click : clicks) click.type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN, clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));
}

// The centre of the close box in `window`'s title bar, found as the window answers the mouse.
inline std::optional<POINT> CloseBoxOf(HWND window) {
  const RECT r = RectOf(window);
  for (int y = r.top; y < r.top + 60; ++y)
    for (int x = r.right - 1; x > r.right - 80; --x)
      if (Send(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return POINT{x - 5, y + 5};
  return std::nullopt;
}

// A key pressed and let go as a user would, with a modifier held (VK_SHIFT; 0 for none); it goes to
// the window in front.
inline void Press(WORD key, WORD held = 0) {
  INPUT keys[4] = {};
  UINT n = 0;
  for (const auto& [vk, up] : {std::pair{held, false}, {key, false}, {key, true}, {held, true}})
    if (vk) keys[n].type = INPUT_KEYBOARD, keys[n].ki.wVk = vk, keys[n++].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(n, keys, sizeof(INPUT));
}

// The control of `window`'s thread that has the keyboard focus, or null.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

inline std::string Ansi(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

// An expected text (UTF-8, from tests/expected_messages.h) with its {path}.
inline std::wstring Expected(const char* utf8, const std::wstring& path = L"") {
  std::wstring text(std::strlen(utf8) + 1, L'\0');
  text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], static_cast<int>(text.size()))) - 1);
  const size_t at = text.find(L"{path}");
  return at == std::wstring::npos ? text : text.replace(at, 6, path);
}

inline bool MutexExists(const char* name) { return static_cast<bool>(UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, name))); }

inline std::wstring MemoIniOf(const std::wstring& root) {
  char user[128] = {};
  DWORD size = sizeof user;
  GetUserNameA(user, &size);  // ASCII in the test prefix
  return root + L"\\USERS\\" + std::wstring(user, user + std::strlen(user)) + L"\\memo.ini";
}

// HKCU\Software\ZZ-soft\ZMemo value "Root"; nullopt removes the key.
inline void SetZMemoRoot(const std::optional<std::wstring>& root) {
  const wchar_t* key = L"Software\\ZZ-soft\\ZMemo";
  UniqueKey opened;
  if (!root) RegDeleteKeyW(HKEY_CURRENT_USER, key);
  else if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Put(), nullptr) == 0)
    RegSetValueExW(opened.Get(), L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root->c_str()),
                   static_cast<DWORD>((root->size() + 1) * sizeof(wchar_t)));
}

// A fresh root <temp>\karuvel-e2e\<name> with the user's directory, and with the demo installed
// (notes, packages, the registry value) when `demo`.
inline std::wstring MakeZMemoRoot(const std::wstring& name, bool demo = false) {
  wchar_t temp[MAX_PATH];
  const std::wstring base = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"karuvel-e2e", root = base + L"\\" + name;
  for (const std::wstring& dir : {base, root, root + L"\\USERS", MemoIniOf(root).substr(0, MemoIniOf(root).rfind(L'\\'))})
    CreateDirectoryW(dir.c_str(), nullptr);
  DeleteFileW(MemoIniOf(root).c_str());
  const UniqueHandle install(demo ? Launch(Quoted(BuildDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root)) : nullptr);
  if (install && WaitForSingleObject(install.Get(), 15000) != WAIT_OBJECT_0) TerminateProcess(install.Get(), 1);
  return root;
}

// The stand-in host, zmemo_host.exe serve <options>, on `port` (0: a port of its own), which every
// program started afterwards uses. Killed when destroyed.
class ZMemoHost {
 public:
  // Ports are never reused within a run and start at random: Wine numbers the processes of each
  // session alike, so two sessions side by side would otherwise pick the same ones.
  explicit ZMemoHost(const std::wstring& options, int port = 0) {
    static int next = 20000 + static_cast<int>((GetTickCount64() * 2654435761u) % 10000);
    const std::wstring number = std::to_wstring(port ? port : next++);
    wchar_t temp[MAX_PATH];
    log_ = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"karuvel-standin-host-" + number + L".log";
    const std::wstring readyFile = log_ + L".ready";
    DeleteFileW(log_.c_str());
    DeleteFileW(readyFile.c_str());
    SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", number.c_str());
    process_.Reset(Launch(Quoted(BuildDir() + L"zmemo_host.exe") + L" serve --port " + number + L" --log " +
                          Quoted(log_) + L" --ready " + Quoted(readyFile) + L" " + options));
    // The file shows as soon as the host creates it, maybe before the host has closed it, so its
    // presence is the signal.
    started_ = process_ && WaitUntil([&] { return GetFileAttributesW(readyFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
  }
  ~ZMemoHost() {
    if (process_) TerminateProcess(process_.Get(), 0), WaitForSingleObject(process_.Get(), 5000);
    DeleteFileW(log_.c_str());
    DeleteFileW((log_ + L".ready").c_str());
  }
  bool Started() const { return started_; }
  // Every request received so far, byte for byte. The log's records: "REQUEST <n>\r\n" <n bytes> "\r\n".
  std::vector<std::string> Requests() const {
    std::ifstream in(log_.c_str(), std::ios::binary);  // shares the file with its writer
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> requests;
    for (size_t at = 0, eol; log.compare(at, 8, "REQUEST ") == 0 && (eol = log.find("\r\n", at)) != log.npos;) {
      const size_t size = std::stoul(log.substr(at + 8, eol - at - 8));
      requests.push_back(log.substr(eol + 2, size));
      at = eol + 2 + size + 2;
    }
    return requests;
  }

 private:
  UniqueHandle process_;
  std::wstring log_;
  bool started_ = false;
};

// karuvel.exe of the build folder, unless told another.
struct Karuvel : KaruvelProcess {
  explicit Karuvel(const std::wstring& exe = BuildDir() + L"karuvel.exe", const std::wstring& dir = L"", int show = -1)
      : KaruvelProcess(exe, dir, show) {}
  std::optional<DWORD> WaitExit(DWORD ms = 5000) const {
    DWORD code = 0;
    if (!process || WaitForSingleObject(process.Get(), ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.Get(), &code))
      return std::nullopt;
    return code;
  }
  // The one message box closed with OK: its text, or "(none)"; marked when the box is not as every
  // box must be (caption "KARUVEL", OK only, owned by the window) or does not go.
  std::wstring CloseMessageBox() const {
    HWND box = WaitMessageBox();
    if (!box) return L"(none)";
    const bool proper = ReadText(box) == L"KARUVEL" && GetWindow(box, GW_OWNER) == Window() && GetDlgItem(box, IDOK) &&
                        !GetDlgItem(box, IDCANCEL);
    const std::wstring text = (proper ? L"" : L"(not an OK-only box of the window's) ") + MessageBoxText(box);
    PressOk(box);
    return WaitUntil([&] { return MessageBoxes().empty(); }) ? text : text + L" (stays)";
  }
};

// A drop at a screen point, as DragAndDrop makes it, on a thread of its own: -1 when the target has
// not answered within 10 s (the stuck drag, and its job, are left to end with the process).
inline int Drop(POINT at, const std::vector<std::wstring>& args) {
  auto* job = new DropJob{at, args};
  const UniqueHandle thread(CreateThread(nullptr, 0, DragAndDrop, job, 0, nullptr));
  if (!thread || WaitForSingleObject(thread.Get(), 10000) != WAIT_OBJECT_0) return -1;
  const int effect = job->effect;
  delete job;
  return effect;
}

}  // namespace karuvel::e2e
