// The stand-in DSCP library and host, through the library's export as a caller sees it: real
// sockets on 127.0.0.1 and a real host process. What karuvel.exe sees of them is covered end to
// end; these are the cases it cannot provoke.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using SendFn = int(WINAPI*)(const char*, const char*, char*);

std::wstring BuildDir() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  dir.resize(dir.rfind(L'\\'));        // tests\ ...
  return dir.substr(0, dir.rfind(L'\\') + 1);  // the build directory, with its "\"
}

std::string ReadBytes(const std::wstring& path) {
  std::string out;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(f);
  return out;
}

// One stand-in host process on its own port, killed when the object goes.
// Each host gets a port of its own: a port just closed by a killed host may still be held.
int NextPort() {
  static int next = 24811;
  return next++;
}

class Host {
 public:
  explicit Host(const std::wstring& options) : port_(NextPort()) {
    SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port_).c_str());
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    log_ = std::wstring(tmp) + L"dscp_standins_" + std::to_wstring(port_) + L".log";
    const std::wstring ready = log_ + L".ready";
    DeleteFileW(log_.c_str());
    DeleteFileW(ready.c_str());
    std::wstring cmd = L"\"" + BuildDir() + L"zmemo_host.exe\" serve --port " + std::to_wstring(port_) + L" --log \"" +
                       log_ + L"\" --ready \"" + ready + L"\" " + options;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
    for (int i = 0; i < 200 && GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(25);
    started_ = DeleteFileW(ready.c_str()) != FALSE;
  }
  ~Host() {
    if (pi_.hProcess) {
      TerminateProcess(pi_.hProcess, 0);
      WaitForSingleObject(pi_.hProcess, 5000);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  bool started() const { return started_; }
  std::string Log() const { return ReadBytes(log_); }
  HANDLE process() const { return pi_.hProcess; }

 private:
  int port_;
  std::wstring log_;
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// The library stays loaded for the whole run, as in the program: Wine's Winsock does not survive
// being unloaded and loaded again within one process.
struct Library {
  Library() : module(LoadLibraryW((BuildDir() + L"chc_dscp.dll").c_str())) {}
  ~Library() {
    if (module) FreeLibrary(module);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE module;
};

class StandinsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static Library library;
    ASSERT_NE(library.module, nullptr);
    send_ = reinterpret_cast<SendFn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(library.module, "chc_DSCPSend")));
    ASSERT_NE(send_, nullptr);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", L"24810");  // nobody listens there
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"1500");
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", nullptr);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", nullptr);
  }
  int Send(const char* request) {
    reply_.assign(20000, '\0');
    return send_("127.0.0.1", request, &reply_[0]);
  }
  SendFn send_ = nullptr;
  std::string reply_;
};

TEST_F(StandinsTest, UnknownETagAndOtherCommandsAreRefused) {
  Host host(L"--etag E1");
  ASSERT_TRUE(host.started());
  EXPECT_EQ(Send("LOAD DSCP/1.3\r\nTargetETag: E9\r\nScript: C:\\a.ugu\r\n\r\n"), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 13), "DSCP/1.3 404 ");
  EXPECT_EQ(Send("PING DSCP/1.3\r\n\r\n"), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 13), "DSCP/1.3 400 ");
}

// What end-to-end tests cannot make the program see: a reply longer than the buffer is cut so that
// the last byte stays NUL.
TEST_F(StandinsTest, OverlongReplyLeavesTheLastByteNul) {
  Host host(L"--reply-fill 25000");
  ASSERT_TRUE(host.started());
  EXPECT_EQ(Send("X\r\n\r\n"), 0);
  EXPECT_EQ(std::strlen(reply_.c_str()), 19999u);
  EXPECT_EQ(reply_[19998], 'a' + 19998 % 26);
}

TEST_F(StandinsTest, RequestWithoutCommandLineIsMinusOneAndNotSent) {
  Host host(L"");
  ASSERT_TRUE(host.started());
  for (const char* request : {"", "\r\nLOAD DSCP/1.3\r\n\r\n"}) {
    EXPECT_EQ(Send(request), -1);
    EXPECT_NE(reply_[0], '\0');
  }
  EXPECT_EQ(host.Log(), "");
}

TEST_F(StandinsTest, HostHoldsZMemosMutexAndEndsAfterTheGivenRequests) {
  {
    Host host(L"--exit-after 1");
    ASSERT_TRUE(host.started());
    HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex");
    EXPECT_NE(probe, nullptr);
    if (probe) CloseHandle(probe);
    Send("X\r\n\r\n");
    EXPECT_EQ(WaitForSingleObject(host.process(), 5000), WAIT_OBJECT_0);
  }
  HANDLE gone = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex");
  EXPECT_EQ(gone, nullptr);
  if (gone) CloseHandle(gone);
}

}  // namespace

namespace {

std::string Cp932(const std::wstring& text) {
  const int n = WideCharToMultiByte(932, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.pop_back();
  return out;
}

TEST_F(StandinsTest, DemoInstallsRootAndMemoIniAndRecordsALoadedScript) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring root = std::wstring(tmp) + L"ゾーン demo";
  std::wstring cmd = L"\"" + BuildDir() + L"zmemo_host.exe\" install-demo \"" + root + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  ASSERT_EQ(code, 0u);

  char stored[MAX_PATH] = {};
  DWORD size = sizeof stored;
  DWORD type = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZZ-soft\\ZMemo", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Root", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(stored), Cp932(root));

  char user[128] = {};
  DWORD userSize = sizeof user;
  GetUserNameA(user, &userSize);
  const std::wstring memo = root + L"\\USERS\\" + std::wstring(user, user + std::strlen(user)) + L"\\memo.ini";
  const std::string before = ReadBytes(memo);
  const std::wstring psn = root + L"\\スクリプト\\ペルソナ\\persona.psn";
  EXPECT_NE(before.find(Cp932(L"1_ETag=\"zm-0001-表\"\r\n")), std::string::npos);
  EXPECT_NE(before.find(Cp932(L"2_ScriptFileName=" + psn + L"\r\n")), std::string::npos);

  Host host(L"--root \"" + root + L"\"");
  ASSERT_TRUE(host.started());
  const std::string request = Cp932(L"LOAD DSCP/1.3\r\nTargetETag: \"zm-0001-表\"\r\nScript: " + psn + L"\r\n\r\n");
  EXPECT_EQ(Send(request.c_str()), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 16), "DSCP/1.3 200 OK\r");
  // Only the note's current script changed.
  std::string expected = before;
  const std::string old = Cp932(L"1_ScriptFileName=" + root + L"\\スクリプト\\ソフト表示\\hyouji.ugu\r\n");
  const size_t at = expected.find(old);
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, old.size(), Cp932(L"1_ScriptFileName=" + psn + L"\r\n"));
  EXPECT_EQ(ReadBytes(memo), expected);
}

}  // namespace
