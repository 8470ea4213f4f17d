// The stand-in DSCP library and host, through the library's export as a caller sees it: real
// sockets on 127.0.0.1 and a real host process. What karuvel.exe sees of them is covered end to
// end; these are the cases it cannot provoke.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "test_processes.h"

namespace karuvel {
namespace {

using SendFn = int(WINAPI*)(const char*, const char*, char*);

// Each host gets a port of its own: a port just closed by a killed host may still be held.
int NextPort() {
  static int next = 24811;
  return next++;
}

// One stand-in host process on its own port, which the library is pointed at.
class Host : public StandinHost {
 public:
  explicit Host(const std::wstring& options) : Host(NextPort(), options) {}

 private:
  Host(int port, const std::wstring& options) : StandinHost(BuildDir(), port, options) {
    SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  }
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
  ASSERT_TRUE(host.Started());
  EXPECT_EQ(Send("LOAD DSCP/1.3\r\nTargetETag: E9\r\nScript: C:\\a.ugu\r\n\r\n"), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 13), "DSCP/1.3 404 ");
  EXPECT_EQ(Send("PING DSCP/1.3\r\n\r\n"), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 13), "DSCP/1.3 400 ");
}

// What end-to-end tests cannot make the program see: a reply longer than the buffer is cut so that
// the last byte stays NUL.
TEST_F(StandinsTest, OverlongReplyLeavesTheLastByteNul) {
  Host host(L"--reply-fill 25000");
  ASSERT_TRUE(host.Started());
  EXPECT_EQ(Send("X\r\n\r\n"), 0);
  EXPECT_EQ(std::strlen(reply_.c_str()), 19999u);
  EXPECT_EQ(reply_[19998], 'a' + 19998 % 26);
}

TEST_F(StandinsTest, RequestWithoutCommandLineIsMinusOneAndNotSent) {
  Host host(L"");
  ASSERT_TRUE(host.Started());
  for (const char* request : {"", "\r\nLOAD DSCP/1.3\r\n\r\n"}) {
    EXPECT_EQ(Send(request), -1);
    EXPECT_NE(reply_[0], '\0');
  }
  EXPECT_EQ(host.Log(), "");
}

TEST_F(StandinsTest, HostHoldsZMemosMutexAndEndsAfterTheGivenRequests) {
  {
    Host host(L"--exit-after 1");
    ASSERT_TRUE(host.Started());
    HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex");
    EXPECT_NE(probe, nullptr);
    if (probe) CloseHandle(probe);
    Send("X\r\n\r\n");
    EXPECT_EQ(WaitForSingleObject(host.Process(), 5000), WAIT_OBJECT_0);
  }
  HANDLE gone = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex");
  EXPECT_EQ(gone, nullptr);
  if (gone) CloseHandle(gone);
}


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
  ASSERT_EQ(RunToEnd(Quoted(BuildDir() + L"zmemo_host.exe") + L" install-demo " + Quoted(root), 10000), 0);

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
  const std::string before = ReadFileBytes(memo);
  const std::wstring psn = root + L"\\スクリプト\\ペルソナ\\persona.psn";
  EXPECT_NE(before.find(Cp932(L"1_ETag=\"zm-0001-表\"\r\n")), std::string::npos);
  EXPECT_NE(before.find(Cp932(L"2_ScriptFileName=" + psn + L"\r\n")), std::string::npos);

  Host host(L"--root \"" + root + L"\"");
  ASSERT_TRUE(host.Started());
  const std::string request = Cp932(L"LOAD DSCP/1.3\r\nTargetETag: \"zm-0001-表\"\r\nScript: " + psn + L"\r\n\r\n");
  EXPECT_EQ(Send(request.c_str()), 0);
  EXPECT_EQ(std::string(reply_.c_str()).substr(0, 16), "DSCP/1.3 200 OK\r");
  // Only the note's current script changed.
  std::string expected = before;
  const std::string old = Cp932(L"1_ScriptFileName=" + root + L"\\スクリプト\\ソフト表示\\hyouji.ugu\r\n");
  const size_t at = expected.find(old);
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, old.size(), Cp932(L"1_ScriptFileName=" + psn + L"\r\n"));
  EXPECT_EQ(ReadFileBytes(memo), expected);
}

}  // namespace
}  // namespace karuvel
