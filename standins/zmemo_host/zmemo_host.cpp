// Stand-in for the ZMemo host, for the demo and the tests: while it runs it holds ZMemo's mutex
// "TMemoManWndMutex" and answers DSCP requests on 127.0.0.1.
//
//   zmemo_host serve [options]       serve until killed (or --exit-after)
//     --port N          listen port (default KARUVEL_DSCP_PORT or the wire default)
//     --log FILE        append every request as "REQUEST <n bytes>\r\n" <bytes> "\r\n"
//     --ready FILE      create FILE once listening
//     --root DIR        ZMemo root: its memo.ini names the known ETags, and a loaded script
//                       becomes the note's ScriptFileName there
//     --etag E          one more known ETag (UTF-8 on the command line is not assumed: wide args)
//     --reply-hex HEX   answer every request with these bytes ("" answers nothing)
//     --reply-fill N    answer every request with N bytes 'a'..'z' repeated
//     --silent-ms N     read the request, then wait N ms before answering
//     --exit-after N    end after N requests
//     --no-mutex        do not hold the mutex
//     --guarded-mutex   hold the mutex with a DACL that grants everyone only SYNCHRONIZE, as
//                       ZMemo run elevated or under another account does: opening it with
//                       MUTEX_ALL_ACCESS fails with ERROR_ACCESS_DENIED
//     --hold-event NAME after reading (and logging) a request, answer it only once the named
//                       auto-reset event is set: each SetEvent lets one reply go. Either side may
//                       create the event. Bounded at 60 s so a host nobody releases still ends.
//   zmemo_host install-demo ROOT     write the registry value Root, memo.ini and script packages
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "standins/dscp_wire.h"
#include "standins/zmemo_host/demo_layout.h"

namespace {

constexpr UINT kCodePage = 932;  // ZMemo's files and requests are Shift-JIS

std::wstring Widen(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int n = MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

bool ReadWholeFile(const std::wstring& path, std::string& out) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  out.clear();
  char chunk[8192];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes, bool append = false) {
  UniqueHandle file(CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

// The user's ZMemo directory as ZMemo keeps it: root\USERS\<user name, or "default">\.
std::wstring UserDir(const std::wstring& root) {
  char name[128] = {};
  DWORD size = sizeof name;
  GetUserNameA(name, &size);
  std::wstring user = Widen(name);
  if (user.find_first_not_of(L' ') == std::wstring::npos) user = L"default";
  return root + L"\\USERS\\" + user + L"\\";
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
    start = end + 1;
  }
  return lines;
}

bool KeyIs(const std::wstring& key, const wchar_t* want) { return _wcsicmp(key.c_str(), want) == 0; }

// One "<n>_<key>=<value>" line of memo.ini.
struct MemoLine {
  std::wstring note, key, value;
};
bool ParseLine(const std::wstring& line, MemoLine& out) {
  const size_t under = line.find(L'_');
  if (under == std::wstring::npos || line.empty() || line[0] == L'#') return false;
  const size_t eq = line.find(L'=', under);
  if (eq == std::wstring::npos) return false;
  out = {line.substr(0, under), line.substr(under + 1, eq - under - 1), line.substr(eq + 1)};
  return true;
}

class MemoIni {
 public:
  explicit MemoIni(std::wstring root) : path_(root.empty() ? std::wstring() : UserDir(root) + L"memo.ini") {}

  bool KnowsETag(const std::wstring& etag) const {
    std::wstring note;
    return FindNote(etag, note);
  }

  // ZMemo keeps the loaded script as the note's current one.
  void SetCurrentScript(const std::wstring& etag, const std::wstring& script) const {
    std::vector<std::wstring> lines;
    std::wstring note;
    if (!Load(lines) || !FindNote(etag, note, &lines)) return;
    const std::wstring entry = note + L"_ScriptFileName=" + script;
    bool replaced = false;
    size_t etagLine = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
      MemoLine m;
      if (!ParseLine(lines[i], m) || m.note != note) continue;
      if (KeyIs(m.key, L"ScriptFileName")) {
        lines[i] = entry;
        replaced = true;
      } else if (KeyIs(m.key, L"ETag")) {
        etagLine = i;
      }
    }
    if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(etagLine + 1), entry);
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    WriteWholeFile(path_, Narrow(text));
  }

 private:
  bool Load(std::vector<std::wstring>& lines) const {
    std::string bytes;
    if (path_.empty() || !ReadWholeFile(path_, bytes)) return false;
    lines = SplitLines(Widen(bytes));
    return true;
  }
  bool FindNote(const std::wstring& etag, std::wstring& note, std::vector<std::wstring>* loaded = nullptr) const {
    std::vector<std::wstring> own;
    std::vector<std::wstring>& lines = loaded ? *loaded : own;
    if (!loaded && !Load(lines)) return false;
    for (const std::wstring& line : lines) {
      MemoLine m;
      if (ParseLine(line, m) && KeyIs(m.key, L"ETag") && m.value == etag) {
        note = m.note;
        return true;
      }
    }
    return false;
  }
  std::wstring path_;
};

struct Options {
  int port = 0;
  std::wstring log, ready, root;
  std::vector<std::wstring> etags;
  bool fixedReply = false;
  std::string reply;
  int silentMs = 0;
  int exitAfter = 0;
  bool mutex = true;
  bool guardedMutex = false;
  std::wstring holdEvent;
};

std::string ReplyFor(const std::string& request, const Options& options, const MemoIni& memo) {
  if (options.fixedReply) return options.reply;
  const std::vector<std::wstring> lines = SplitLines(Widen(request));
  if (lines.empty() || lines[0] != L"LOAD DSCP/1.3") return "DSCP/1.3 400 Bad Request\r\n\r\n";
  std::wstring etag, script;
  bool haveETag = false, haveScript = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].rfind(L"TargetETag: ", 0) == 0) {
      etag = lines[i].substr(12);
      haveETag = true;
    } else if (lines[i].rfind(L"Script: ", 0) == 0) {
      script = lines[i].substr(8);
      haveScript = true;
    }
  }
  if (!haveETag || !haveScript) return "DSCP/1.3 400 Bad Request\r\n\r\n";
  bool known = memo.KnowsETag(etag);
  for (const std::wstring& e : options.etags) known = known || e == etag;
  if (!known) return Narrow(L"DSCP/1.3 404 Not Found\r\nTargetETag: " + etag + L"\r\n\r\n");
  memo.SetCurrentScript(etag, script);
  return Narrow(L"DSCP/1.3 200 OK\r\nTargetETag: " + etag + L"\r\nScript: " + script + L"\r\n\r\n");
}

struct SocketCloser {
  SOCKET s;
  ~SocketCloser() {
    if (s != INVALID_SOCKET) closesocket(s);
  }
};

// ZMemo's mutex; with `guarded`, refusing every right but SYNCHRONIZE to everyone (the owner's
// implicit READ_CONTROL and WRITE_DAC still fall short of MUTEX_ALL_ACCESS).
UniqueHandle HoldMutex(bool guarded) {
  if (!guarded) return UniqueHandle(CreateMutexA(nullptr, FALSE, "TMemoManWndMutex"));
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1, &sd,
                                                            nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  UniqueHandle mutex(CreateMutexA(&sa, FALSE, "TMemoManWndMutex"));
  LocalFree(sd);
  return mutex;
}

int Serve(const Options& options) {
  UniqueHandle mutex(options.mutex ? HoldMutex(options.guardedMutex) : nullptr);
  if (options.mutex && !mutex) {
    std::fprintf(stderr, "zmemo_host: cannot create the mutex\n");
    return 3;
  }
  UniqueHandle hold(options.holdEvent.empty() ? nullptr
                                              : CreateEventW(nullptr, FALSE, FALSE, options.holdEvent.c_str()));
  if (!options.holdEvent.empty() && !hold) {
    std::fprintf(stderr, "zmemo_host: cannot open the hold event\n");
    return 3;
  }
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 3;
  SocketCloser listener{socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)};
  BOOL reuse = TRUE;
  setsockopt(listener.s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(options.port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener.s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener.s, 8) != 0) {
    std::fprintf(stderr, "zmemo_host: cannot listen on port %d\n", options.port);
    WSACleanup();
    return 3;
  }
  if (!options.ready.empty()) WriteWholeFile(options.ready, "ready\r\n");
  const MemoIni memo(options.root);
  for (int served = 0; options.exitAfter == 0 || served < options.exitAfter; ++served) {
    SocketCloser client{accept(listener.s, nullptr, nullptr)};
    if (client.s == INVALID_SOCKET) continue;
    DWORD timeout = 10000;
    setsockopt(client.s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string request;
    char chunk[4096];
    int got = 0;
    while ((got = recv(client.s, chunk, sizeof chunk, 0)) > 0) request.append(chunk, static_cast<size_t>(got));
    // Logged before the answer, so whoever sees the reply finds the request in the log.
    if (!options.log.empty())
      WriteWholeFile(options.log, "REQUEST " + std::to_string(request.size()) + "\r\n" + request + "\r\n", true);
    if (options.silentMs > 0) Sleep(static_cast<DWORD>(options.silentMs));
    if (hold) WaitForSingleObject(hold.get(), 60000);
    const std::string reply = ReplyFor(request, options, memo);
    size_t sent = 0;
    while (sent < reply.size()) {
      const int n = send(client.s, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    shutdown(client.s, SD_SEND);
  }
  closesocket(listener.s);
  listener.s = INVALID_SOCKET;
  WSACleanup();
  return 0;
}

bool MakeDirs(const std::wstring& dir) {
  for (size_t i = 3; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == L'\\') {
      const std::wstring part = dir.substr(0, i);
      if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
  }
  return true;
}

bool WriteFileMakingDirs(const std::wstring& path, const std::string& bytes) {
  return MakeDirs(path.substr(0, path.rfind(L'\\'))) && WriteWholeFile(path, bytes);
}

int InstallDemo(std::wstring root) {
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZZ-soft\\ZMemo", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return 4;
  const LONG set = RegSetValueExW(key, L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                                  static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (set != ERROR_SUCCESS) return 4;

  using namespace zmemo_demo;
  const std::wstring ugu = root + kUguOwnDat, shared = root + kUguSharedDat, psn = root + kPsn;
  const std::wstring broken = root + kUguNoData, gone = root + kUguMissing;
  auto dirOf = [](const std::wstring& p) { return p.substr(0, p.rfind(L'\\') + 1); };
  bool ok = WriteFileMakingDirs(ugu, "name,ソフト表示\r\n") &&
            WriteFileMakingDirs(dirOf(ugu) + L"HYOUJI\\DAT\\mio00.euu", "mio\r\n") &&
            WriteFileMakingDirs(shared, "name,さくら\r\n") &&
            WriteFileMakingDirs(dirOf(shared) + L"DAT\\mio00.euu", "mio\r\n") &&
            WriteFileMakingDirs(psn, "name,ペルソナ\r\n") &&
            WriteFileMakingDirs(dirOf(psn) + L"PERSONA\\DAT\\aya00.out", "aya\r\n") &&
            WriteFileMakingDirs(broken, "name,壊れた\r\n");
  const std::wstring memo =
      L"[Global]\r\nVersion=5.21\r\n[Memo]\r\n"
      L"1_Title=買い物メモ\r\n"
      L"1_ScriptEnableDscpServer=true\r\n"
      L"1_ETag=" + std::wstring(kETagFirst) + L"\r\n"
      L"1_ScriptFileName=" + ugu + L"\r\n"
      L"1_WatermarkHistory-000=" + ugu + L"\r\n"
      L"1_WatermarkHistory-001=" + shared + L"\r\n"
      L"1_WatermarkHistory-002=" + psn + L"\r\n"
      L"1_WatermarkHistory-003=" + broken + L"\r\n"
      L"1_WatermarkHistory-004=" + gone + L"\r\n"
      L"2_Title=予定表\r\n"
      L"2_ScriptEnableDscpServer=True\r\n"
      L"2_ETag=" + std::wstring(kETagSecond) + L"\r\n"
      L"2_ScriptFileName=" + psn + L"\r\n"
      L"3_Title=止めた付箋\r\n"
      L"3_ScriptEnableDscpServer=false\r\n"
      L"3_ETag=" + std::wstring(kETagDisabled) + L"\r\n";
  ok = ok && WriteFileMakingDirs(UserDir(root) + L"memo.ini", Narrow(memo));
  return ok ? 0 : 5;
}

int Usage() {
  std::fprintf(stderr, "usage: zmemo_host serve [options] | zmemo_host install-demo ROOT\n");
  return 2;
}

bool ParseHex(const std::wstring& hex, std::string& out) {
  if (hex.size() % 2 != 0) return false;
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    wchar_t* end = nullptr;
    const std::wstring pair = hex.substr(i, 2);
    const long v = std::wcstol(pair.c_str(), &end, 16);
    if (*end != L'\0') return false;
    out.push_back(static_cast<char>(v));
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring mode = argv[1];
  if (mode == L"install-demo") return argc == 3 ? InstallDemo(argv[2]) : Usage();
  if (mode != L"serve") return Usage();

  Options options;
  char portEnv[16] = {};
  options.port = GetEnvironmentVariableA(KARUVEL_DSCP_PORT_ENV, portEnv, sizeof portEnv) ? std::atoi(portEnv) : 0;
  if (options.port <= 0) options.port = KARUVEL_DSCP_DEFAULT_PORT;
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--no-mutex") {
      options.mutex = false;
    } else if (arg == L"--guarded-mutex") {
      options.guardedMutex = true;
    } else if (!hasValue) {
      return Usage();
    } else if (arg == L"--port") {
      options.port = _wtoi(argv[++i]);
    } else if (arg == L"--log") {
      options.log = argv[++i];
    } else if (arg == L"--ready") {
      options.ready = argv[++i];
    } else if (arg == L"--root") {
      options.root = argv[++i];
      while (!options.root.empty() && options.root.back() == L'\\') options.root.pop_back();
    } else if (arg == L"--etag") {
      options.etags.push_back(argv[++i]);
    } else if (arg == L"--reply-hex") {
      options.fixedReply = true;
      if (!ParseHex(argv[++i], options.reply)) return Usage();
    } else if (arg == L"--reply-fill") {
      options.fixedReply = true;
      const int n = _wtoi(argv[++i]);
      for (int k = 0; k < n; ++k) options.reply.push_back(static_cast<char>('a' + k % 26));
    } else if (arg == L"--silent-ms") {
      options.silentMs = _wtoi(argv[++i]);
    } else if (arg == L"--hold-event") {
      options.holdEvent = argv[++i];
    } else if (arg == L"--exit-after") {
      options.exitAfter = _wtoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  return Serve(options);
}
