#include "karuvel_driver.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "shell/control_ids.h"

namespace karuvel::e2e {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)
             ? static_cast<LRESULT>(result) : -1;
}

// A text by its length message and its text message; `item` -1 for a window's own text.
std::wstring Text(HWND window, UINT lengthMessage, UINT textMessage, LRESULT item = -1) {
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(Send(window, lengthMessage, item < 0 ? 0 : item), 0)) + 1, L'\0');
  const WPARAM wParam = item < 0 ? text.size() : static_cast<WPARAM>(item);
  text.resize(static_cast<size_t>(std::max<LRESULT>(Send(window, textMessage, wParam, reinterpret_cast<LPARAM>(&text[0])), 0)));
  return text;
}

struct TopLevelSearch {
  DWORD pid;
  std::wstring cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  wchar_t cls[64] = {};
  GetWindowThreadProcessId(window, &pid);
  GetClassNameW(window, cls, 64);
  if (pid == search.pid && IsWindowVisible(window) && search.cls == cls) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelOf(DWORD pid, const wchar_t* cls) {
  TopLevelSearch search{pid, cls, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK FindControl(HWND child, LPARAM param) {
  auto& find = *reinterpret_cast<std::pair<int, HWND>*>(param);
  if (GetDlgCtrlID(child) == find.first) find.second = child;
  return find.second == nullptr;
}

}  // namespace

std::wstring KaruvelExePath() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  wchar_t full[MAX_PATH] = {};
  for (int i = 1; i < argc; ++i)
    if (std::wstring(argv[i]).find(L".exe") != std::wstring::npos) GetFullPathNameW(argv[i], MAX_PATH, full, nullptr);
  LocalFree(argv);
  return full;
}

std::wstring StandinDir() {
  const std::wstring exe = KaruvelExePath();
  return exe.substr(0, exe.find_last_of(L"\\/") + 1);
}

std::string Ansi(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

void SetZMemoRoot(const std::optional<std::wstring>& root) {
  const wchar_t* key = L"Software\\ZZ-soft\\ZMemo";
  UniqueKey opened;
  if (!root) RegDeleteKeyW(HKEY_CURRENT_USER, key);
  else if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Put(), nullptr) == 0)
    RegSetValueExW(opened.Get(), L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root->c_str()),
                   static_cast<DWORD>((root->size() + 1) * sizeof(wchar_t)));
}

std::wstring MakeZMemoRoot(const std::wstring& name, bool demo) {
  wchar_t temp[MAX_PATH];
  const std::wstring base = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"karuvel-e2e", root = base + L"\\" + name;
  for (const std::wstring& dir : {base, root, root + L"\\USERS", MemoIniOf(root).substr(0, MemoIniOf(root).rfind(L'\\'))})
    CreateDirectoryW(dir.c_str(), nullptr);
  DeleteFileW(MemoIniOf(root).c_str());
  if (demo) RunToEnd(Quoted(StandinDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root));
  return root;
}

std::wstring MemoIniOf(const std::wstring& root) {
  char user[128] = {};
  DWORD size = sizeof user;
  GetUserNameA(user, &size);  // ASCII in the test prefix
  return root + L"\\USERS\\" + std::wstring(user, user + std::strlen(user)) + L"\\memo.ini";
}

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

// Ports are never reused within a run and start at random: Wine numbers the processes of each
// session alike, so two sessions side by side would otherwise pick the same ones.
ZMemoHost::ZMemoHost(const std::wstring& options)
    : StandinHost(StandinDir(), [] {
        static int next = 20000 + static_cast<int>((GetTickCount64() * 2654435761u) % 10000);
        SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(next).c_str());
        return next++;
      }(), options) {}

Karuvel::~Karuvel() {
  if (Running()) TerminateProcess(process_.Get(), 1);
  if (process_) WaitForSingleObject(process_.Get(), 5000);
}

bool Karuvel::Start(const std::wstring& exe) {
  process_.Reset(Launch(Quoted(exe), &pid_));
  return static_cast<bool>(process_);
}

std::optional<DWORD> Karuvel::WaitExit(DWORD ms) const {
  DWORD code = 0;
  if (!process_ || WaitForSingleObject(process_.Get(), ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_.Get(), &code))
    return std::nullopt;
  return code;
}

HWND Karuvel::WaitReady(int entries) const {
  // The drop thread marks the window once OLE has registered it.
  HWND window = nullptr;
  return WaitUntil([&] {
    window = MainWindowOf(pid_);
    return window && static_cast<int>(ListEntries(Control(ids::kCbo切替対象)).size()) == entries &&
           GetPropW(window, L"OleDropTargetInterface");
  }, 10000) ? window : nullptr;
}

HWND Karuvel::WaitMessageBox() const {
  std::vector<HWND> boxes;
  WaitUntil([&] { return !(boxes = MessageBoxesOf(pid_)).empty() || !Running(); });
  return boxes.empty() ? nullptr : boxes.front();
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
std::wstring ReadText(HWND window) { return Text(window, WM_GETTEXTLENGTH, WM_GETTEXT); }

std::vector<std::wstring> ListEntries(HWND combo) {
  std::vector<std::wstring> entries;
  for (LRESULT i = 0, count = combo ? Send(combo, CB_GETCOUNT) : 0; i < count; ++i)
    entries.push_back(Text(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
  return entries;
}

int ListSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }
bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

SIZE OuterSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Choose(HWND combo, int index) {
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
  Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
void SetEditText(HWND edit, const std::wstring& text) { Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }
std::wstring MessageBoxText(HWND box) { return ReadText(GetDlgItem(box, 0xFFFF)); }
void PressOk(HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

std::wstring CloseMessageBox(const Karuvel& k) {
  HWND box = k.WaitMessageBox();
  if (!box) return L"(none)";
  const bool proper = ReadText(box) == L"KARUVEL" && GetWindow(box, GW_OWNER) == MainWindowOf(k.Pid()) &&
                      GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL);
  const std::wstring text = (proper ? L"" : L"(not an OK-only box of the window's) ") + MessageBoxText(box);
  PressOk(box);
  return WaitUntil([&] { return MessageBoxesOf(k.Pid()).empty(); }) ? text : text + L" (stays)";
}

std::wstring Expected(const char* utf8, const std::wstring& path) {
  std::wstring text(std::strlen(utf8) + 1, L'\0');
  text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], static_cast<int>(text.size()))) - 1);
  const size_t at = text.find(L"{path}");
  return at == std::wstring::npos ? text : text.replace(at, 6, path);
}
bool MutexExists(const char* name) { return static_cast<bool>(UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, name))); }

Drop::Drop(POINT at, const std::vector<std::wstring>& files, const std::wstring& kind) {
  std::wstring args = std::to_wstring(at.x) + L" " + std::to_wstring(at.y) + L" " + kind;
  for (const std::wstring& f : files) args += L" " + Quoted(f);
  process_.Reset(Launch(Quoted(StandinDir() + L"drop_source.exe") + L" " + args));
}

int Drop::Wait() {
  DWORD code = 0;
  const bool ended = process_ && WaitForSingleObject(process_.Get(), 10000) == WAIT_OBJECT_0;
  if (!ended && process_) TerminateProcess(process_.Get(), 999);
  return ended && GetExitCodeProcess(process_.Get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace karuvel::e2e
