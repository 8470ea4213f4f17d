#include "karuvel_driver.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "shell/control_ids.h"

namespace karuvel::e2e {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

std::string Narrow(const std::wstring& text, UINT codePage) {
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

struct Search {
  DWORD pid;
  const wchar_t* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  wchar_t cls[64] = {};
  GetWindowThreadProcessId(window, &pid);
  GetClassNameW(window, cls, 64);
  if (pid == search.pid && IsWindowVisible(window) && std::wcscmp(cls, search.cls) == 0) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelOf(DWORD pid, const wchar_t* cls) {
  Search search{pid, cls, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK FindControl(HWND child, LPARAM param) {
  auto& find = *reinterpret_cast<std::pair<int, HWND>*>(param);
  if (GetDlgCtrlID(child) != find.first) return TRUE;
  find.second = child;
  return FALSE;
}

}  // namespace

std::wstring KaruvelExePath() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring path;
  for (int i = 1; argv && i < argc; ++i)
    if (std::wcslen(argv[i]) > 4 && _wcsicmp(argv[i] + std::wcslen(argv[i]) - 4, L".exe") == 0) path = argv[i];
  LocalFree(argv);
  wchar_t full[MAX_PATH];
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return (n > 0 && n < MAX_PATH) ? std::wstring(full) : path;
}

std::wstring StandinDir() {
  const std::wstring exe = KaruvelExePath();
  return exe.substr(0, exe.find_last_of(L"\\/") + 1);
}

std::wstring UserName() {
  char name[128] = {};
  DWORD size = sizeof name;
  GetUserNameA(name, &size);
  const std::string ansi(name);
  std::wstring out(ansi.size(), L'\0');
  out.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &out[0], static_cast<int>(out.size()))));
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
  UniqueKey opened;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Put(), nullptr) == 0)
    RegSetValueExW(opened.Get(), L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root->c_str()),
                   static_cast<DWORD>((root->size() + 1) * sizeof(wchar_t)));
}

std::wstring MakeZMemoRoot(const std::wstring& name, bool demo) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"karuvel-e2e\\" + name;
  for (const std::wstring& dir : {std::wstring(temp) + L"karuvel-e2e", root, root + L"\\USERS",
                                  root + L"\\USERS\\" + UserName()})
    CreateDirectoryW(dir.c_str(), nullptr);
  DeleteFileW(MemoIniOf(root).c_str());
  if (demo) RunToEnd(Quoted(StandinDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root));
  return root;
}

std::wstring MemoIniOf(const std::wstring& root) { return root + L"\\USERS\\" + UserName() + L"\\memo.ini"; }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  for (const ULONGLONG end = GetTickCount64() + ms; !condition(); Sleep(10))
    if (GetTickCount64() >= end) return false;
  return true;
}

int UseFreshPort() {
  // Never reused within a run, below the ephemeral range, and random at first: Wine numbers the
  // processes of each session alike, so two sessions side by side would pick the same ports.
  static int next = 20000 + static_cast<int>((GetTickCount64() * 2654435761u) % 10000);
  const int port = next++;
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  return port;
}

ZMemoHost::ZMemoHost(const std::wstring& options)
    : StandinHost(StandinDir(), [] {
        wchar_t port[16] = {};
        GetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", port, 16);
        return _wtoi(port);
      }(), options) {}

ReplyHold::ReplyHold() {
  static int serial = 0;
  name_ = L"KaruvelReplyHold_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
  event_.Reset(CreateEventW(nullptr, FALSE, FALSE, name_.c_str()));
}

Karuvel::~Karuvel() {
  if (!process_) return;
  if (Running()) TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

bool Karuvel::Start(const std::wstring& exe) {
  process_ = Launch(Quoted(exe), &pid_);
  return process_ != nullptr;
}

bool Karuvel::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Karuvel::WaitExit(DWORD ms) const {
  DWORD code = 0;
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
    return std::nullopt;
  return code;
}

HWND Karuvel::WaitWindow(DWORD ms) const {
  HWND window = nullptr;
  WaitUntil([&] { return (window = MainWindowOf(pid_)) != nullptr || !Running(); }, ms);
  return window;
}

HWND Karuvel::WaitReady(int entries, DWORD ms) const {
  HWND window = WaitWindow(ms);
  // The drop thread marks the window once OLE has registered it.
  const bool ready = window && WaitUntil([&] {
    return static_cast<int>(ListEntries(Control(ids::kCbo切替対象)).size()) == entries &&
           GetPropW(window, L"OleDropTargetInterface") != nullptr;
  }, ms);
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
  std::pair<int, HWND> find{id, nullptr};
  if (HWND window = MainWindowOf(pid_)) EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&find));
  return find.second;
}

HWND MainWindowOf(DWORD pid) {
  const std::vector<HWND> found = TopLevelOf(pid, L"Karuvel");
  return found.empty() ? nullptr : found.front();
}

std::vector<HWND> MessageBoxesOf(DWORD pid) { return TopLevelOf(pid, L"#32770"); }

std::wstring ReadText(HWND window) {
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(Send(window, WM_GETTEXTLENGTH), 0)) + 1, L'\0');
  const LRESULT got = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::vector<std::wstring> ListEntries(HWND combo) {
  std::vector<std::wstring> entries;
  for (LRESULT i = 0, count = combo ? Send(combo, CB_GETCOUNT) : 0; i < count; ++i) {
    std::wstring entry(static_cast<size_t>(std::max<LRESULT>(Send(combo, CB_GETLBTEXTLEN, i), 0)) + 1, L'\0');
    const LRESULT got = Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
    entry.resize(got > 0 ? static_cast<size_t>(got) : 0);
    entries.push_back(entry);
  }
  return entries;
}

int ListSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }
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

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Choose(HWND combo, int index) {
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
  // Sent, not posted: the choice's handling opens no message box, and once this returns it has run.
  Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
void SetEditText(HWND edit, const std::wstring& text) { Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }
std::wstring MessageBoxText(HWND box) { return ReadText(GetDlgItem(box, 0xFFFF)); }
void PressOk(HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

bool MutexExists(const char* name) { return UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, name)).Get() != nullptr; }

Drop::Drop(POINT at, const std::vector<std::wstring>& files, const std::wstring& kind) {
  std::wstring args = std::to_wstring(at.x) + L" " + std::to_wstring(at.y) + L" " + kind;
  for (const std::wstring& f : files) args += L" " + Quoted(f);
  process_ = Launch(Quoted(StandinDir() + L"drop_source.exe") + L" " + args);
}

Drop::~Drop() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 999);
  CloseHandle(process_);
}

int Drop::Wait(DWORD ms) {
  DWORD code = 0;
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
    return -1;
  return static_cast<int>(code);
}

}  // namespace karuvel::e2e
