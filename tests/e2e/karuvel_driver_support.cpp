#include "karuvel_driver.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

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

// The visible top-level windows of a class that belong to a process.
std::vector<HWND> TopLevel(DWORD pid, const wchar_t* cls) {
  std::vector<HWND> found;
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, cls, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid && IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

BOOL CALLBACK FindControl(HWND child, LPARAM param) {
  auto& find = *reinterpret_cast<std::pair<int, HWND>*>(param);
  if (GetDlgCtrlID(child) == find.first) find.second = child;
  return find.second == nullptr;
}

}  // namespace

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
  if (demo) RunToEnd(Quoted(BuildDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root));
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
ZMemoHost::ZMemoHost(const std::wstring& options, int port) {
  static int next = 20000 + static_cast<int>((GetTickCount64() * 2654435761u) % 10000);
  const std::wstring number = std::to_wstring(port ? port : next++);
  wchar_t temp[MAX_PATH];
  log_ = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"karuvel-standin-host-" + number + L".log";
  const std::wstring ready = log_ + L".ready";
  DeleteFileW(log_.c_str());
  DeleteFileW(ready.c_str());
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", number.c_str());
  process_.Reset(Launch(Quoted(BuildDir() + L"zmemo_host.exe") + L" serve --port " + number + L" --log " +
                        Quoted(log_) + L" --ready " + Quoted(ready) + L" " + options));
  // The file shows as soon as the host creates it, maybe before the host has closed it, so its
  // presence is the signal; a host that cannot listen ends at once.
  started_ = process_ && WaitUntil([&] {
    return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES || WaitForSingleObject(process_.Get(), 0) == 0;
  }, 10000) && GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ZMemoHost::~ZMemoHost() {
  if (process_) TerminateProcess(process_.Get(), 0), WaitForSingleObject(process_.Get(), 5000);
  DeleteFileW(log_.c_str());
  DeleteFileW((log_ + L".ready").c_str());
}

std::vector<std::string> ZMemoHost::Requests() const {
  // Records: "REQUEST <n>\r\n" <n bytes> "\r\n". The stream shares the file with its writer.
  std::ifstream in(log_.c_str(), std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> requests;
  for (size_t at = 0, eol; log.compare(at, 8, "REQUEST ") == 0 && (eol = log.find("\r\n", at)) != log.npos;) {
    const size_t size = std::stoul(log.substr(at + 8, eol - at - 8));
    requests.push_back(log.substr(eol + 2, size));
    at = eol + 2 + size + 2;
  }
  return requests;
}

Karuvel::Karuvel(const std::wstring& exe) : process(Launch(Quoted(exe), &pid)) {}

Karuvel::~Karuvel() {
  if (Running()) TerminateProcess(process.Get(), 1);
  if (process) WaitForSingleObject(process.Get(), 5000);
}

std::optional<DWORD> Karuvel::WaitExit(DWORD ms) const {
  DWORD code = 0;
  if (!process || WaitForSingleObject(process.Get(), ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.Get(), &code))
    return std::nullopt;
  return code;
}

HWND Karuvel::Window() const {
  const std::vector<HWND> found = TopLevel(pid, L"Karuvel");
  return found.empty() ? nullptr : found.front();
}

std::vector<HWND> Karuvel::MessageBoxes() const { return TopLevel(pid, L"#32770"); }

HWND Karuvel::WaitReady(int entries) const {
  // The drop thread marks the window once OLE has registered it.
  return WaitUntil([&] {
    return Window() && static_cast<int>(ListEntries(Control(ids::kCbo切替対象)).size()) == entries &&
           GetPropW(Window(), L"OleDropTargetInterface");
  }, 10000) ? Window() : nullptr;
}

HWND Karuvel::WaitMessageBox() const {
  std::vector<HWND> boxes;
  WaitUntil([&] { return !(boxes = MessageBoxes()).empty() || !Running(); });
  return boxes.empty() ? nullptr : boxes.front();
}

HWND Karuvel::Control(int id) const {
  std::pair<int, HWND> find{id, nullptr};
  if (HWND window = Window()) EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&find));
  return find.second;
}

std::wstring Karuvel::CloseMessageBox() const {
  HWND box = WaitMessageBox();
  if (!box) return L"(none)";
  const bool proper = ReadText(box) == L"KARUVEL" && GetWindow(box, GW_OWNER) == Window() && GetDlgItem(box, IDOK) &&
                      !GetDlgItem(box, IDCANCEL);
  const std::wstring text = (proper ? L"" : L"(not an OK-only box of the window's) ") + MessageBoxText(box);
  PressOk(box);
  return WaitUntil([&] { return MessageBoxes().empty(); }) ? text : text + L" (stays)";
}

std::wstring ReadText(HWND window) { return Text(window, WM_GETTEXTLENGTH, WM_GETTEXT); }

std::vector<std::wstring> ListEntries(HWND combo) {
  std::vector<std::wstring> entries;
  for (LRESULT i = 0, count = combo ? Send(combo, CB_GETCOUNT) : 0; i < count; ++i)
    entries.push_back(Text(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
  return entries;
}

int ListSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }

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
  process_.Reset(Launch(Quoted(BuildDir() + L"drop_source.exe") + L" " + args));
}

int Drop::Wait() {
  DWORD code = 0;
  const bool ended = process_ && WaitForSingleObject(process_.Get(), 10000) == WAIT_OBJECT_0;
  if (!ended && process_) TerminateProcess(process_.Get(), 999);
  return ended && GetExitCodeProcess(process_.Get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace karuvel::e2e
