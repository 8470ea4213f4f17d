#include "karuvel_driver.h"

#include <shellapi.h>

#include <cwchar>

#include "shell/control_ids.h"

namespace karuvel::e2e {

namespace {

constexpr UINT kReadTimeoutMs = 10000;

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &out[0], n);
  return out;
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  return std::wcscmp(cls, name) == 0;
}

struct TopLevelSearch {
  DWORD pid;
  const wchar_t* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window) && IsClass(window, search->cls))
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelOf(DWORD pid, const wchar_t* cls) {
  TopLevelSearch search{pid, cls, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReadTimeoutMs, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

}  // namespace

std::wstring KaruvelExePath() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring path;
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.size() > 4 && _wcsicmp(arg.c_str() + arg.size() - 4, L".exe") == 0) path = arg;
  }
  LocalFree(argv);
  if (path.empty()) return path;
  wchar_t full[MAX_PATH];
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return (n > 0 && n < MAX_PATH) ? std::wstring(full) : path;
}

std::wstring UserName() {
  char name[128] = {};
  DWORD size = sizeof name;
  GetUserNameA(name, &size);
  return Widen(name);
}

static std::string Narrow(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Ansi(const std::wstring& text) { return Narrow(text, CP_ACP); }
std::string Utf8Of(const std::wstring& text) { return Narrow(text, CP_UTF8); }

void SetZMemoRoot(const std::optional<std::wstring>& root) {
  const wchar_t* key = L"Software\\ZZ-soft\\ZMemo";
  if (!root) {
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
    return;
  }
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(opened, L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root->c_str()),
                 static_cast<DWORD>((root->size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

std::wstring MakeZMemoRoot(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring base = std::wstring(temp) + L"karuvel-e2e";
  CreateDirectoryW(base.c_str(), nullptr);
  const std::wstring root = base + L"\\" + name;
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\USERS").c_str(), nullptr);
  CreateDirectoryW((root + L"\\USERS\\" + UserName()).c_str(), nullptr);
  DeleteFileW(MemoIniOf(root).c_str());
  return root;
}

std::wstring MemoIniOf(const std::wstring& root) { return root + L"\\USERS\\" + UserName() + L"\\memo.ini"; }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(10);
  }
}

Karuvel::~Karuvel() {
  if (process_) {
    if (Running()) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
}

bool Karuvel::Start() {
  process_ = Launch(Quoted(KaruvelExePath()), &pid_);
  return process_ != nullptr;
}

bool Karuvel::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Karuvel::WaitExit(DWORD ms) const {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

HWND MainWindowOf(DWORD pid) {
  const std::vector<HWND> found = TopLevelOf(pid, L"Karuvel");
  return found.empty() ? nullptr : found.front();
}

HWND Karuvel::WaitWindow(DWORD ms) const {
  HWND window = nullptr;
  WaitUntil([&] { return (window = MainWindowOf(pid_)) != nullptr || !Running(); }, ms);
  return window;
}

HWND Karuvel::WaitReady(int entries, DWORD ms) const {
  HWND window = WaitWindow(ms);
  if (!window) return nullptr;
  // Drops are taken once OLE's registration, made on a thread of the program's own, marks the window.
  const bool ready = WaitUntil(
      [&] {
        return static_cast<int>(ListEntries(Control(ids::kCbo切替対象)).size()) == entries &&
               GetPropW(window, L"OleDropTargetInterface") != nullptr;
      },
      ms);
  return ready ? window : nullptr;
}

HWND Karuvel::WaitMessageBox(DWORD ms) const {
  HWND box = nullptr;
  WaitUntil([&] {
    const std::vector<HWND> boxes = MessageBoxesOf(pid_);
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr || !Running();
  }, ms);
  return box;
}

HWND Karuvel::Control(int id) const {
  HWND window = MainWindowOf(pid_);
  if (!window) return nullptr;
  ChildSearch search{id, nullptr};
  EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ReadText(HWND window) {
  const LRESULT length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::vector<std::wstring> ListEntries(HWND combo) {
  std::vector<std::wstring> entries;
  if (!combo) return entries;
  const LRESULT count = SendWithTimeout(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring entry(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const LRESULT got = SendWithTimeout(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
    entry.resize(got > 0 ? static_cast<size_t>(got) : 0);
    entries.push_back(entry);
  }
  return entries;
}

int ListSelection(HWND combo) { return static_cast<int>(SendWithTimeout(combo, CB_GETCURSEL, 0, 0)); }

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

SIZE OuterSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT RectInContainer(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Choose(HWND combo, int index) {
  SendWithTimeout(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // Sent, not posted: the choice's handling never opens a message box, and returning only after
  // it has run lets the caller go on without guessing how long it takes.
  SendWithTimeout(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(combo));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void SetEditText(HWND edit, const std::wstring& text) {
  SendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring MessageBoxText(HWND box) { return ReadText(GetDlgItem(box, 0xFFFF)); }

void PressOk(HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

std::vector<HWND> MessageBoxesOf(DWORD pid) { return TopLevelOf(pid, L"#32770"); }

bool MutexExists(const char* name) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    saved = WriteBytes(path, bytes);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace karuvel::e2e
