// What the DSCP end-to-end tests add to the driver: the stand-in ZMemo host, its request log, the
// demo installation and real OLE drops made by another process.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "karuvel_driver.h"

namespace karuvel::e2e {

// The directory of karuvel.exe and of the stand-ins built beside it, with its trailing "\".
std::wstring StandinDir();

// Writes the registry value Root, memo.ini and the demo's script packages below `root`.
bool InstallDemo(const std::wstring& root);

// Script packages below root\scripts: a UGU and a PSN with data directories of their own, a UGU
// using the DAT directory beside it, and a UGU without any data file.
struct Scripts {
  std::wstring ugu, psn, shared, broken;
};
Scripts MakeScripts(const std::wstring& root);

// A stand-in ZMemo host on the port this process's environment names for chc_dscp.dll (see
// UseFreshPort). Killed when destroyed.
class ZMemoHost : public StandinHost {
 public:
  explicit ZMemoHost(const std::wstring& options);
};

// Holds the host's replies (zmemo_host --hold-event) until the test lets them go: a named
// auto-reset event, so each Release() lets one held reply go.
class ReplyHold {
 public:
  ReplyHold();
  ~ReplyHold();
  ReplyHold(const ReplyHold&) = delete;
  ReplyHold& operator=(const ReplyHold&) = delete;
  // The host's option that makes it wait on this hold.
  std::wstring Option() const { return L"--hold-event " + name_; }
  void Release() const { SetEvent(event_); }

 private:
  std::wstring name_;
  HANDLE event_ = nullptr;
};

// Points chc_dscp.dll at a fresh port, for this process and every karuvel.exe started afterwards;
// returns it.
int UseFreshPort();

// A drop made by drop_source.exe at the centre of `target` (or at a screen point), running in the
// background; Wait tells when the source has its answer.
class Drop {
 public:
  Drop(HWND target, const std::vector<std::wstring>& files);
  Drop(POINT screen, const std::vector<std::wstring>& files);
  static Drop Text(HWND target, const std::wstring& text);
  // A source that offers only a move, as a file manager may.
  static Drop MoveOnly(HWND target, const std::wstring& file);
  ~Drop();
  Drop(Drop&& other) noexcept;
  Drop(const Drop&) = delete;
  Drop& operator=(const Drop&) = delete;
  // Waits for the drop to end; the effect the target chose, or -1 when it did not end in time.
  int Wait(DWORD ms = 10000);

 private:
  Drop() = default;
  void Start(POINT screen, const std::wstring& args);
  HANDLE process_ = nullptr;
};

// The centre of a window on the screen.
POINT CentreOf(HWND window);

}  // namespace karuvel::e2e

#include <gtest/gtest.h>

#include "shell/control_ids.h"
#include "standins/zmemo_host/demo_layout.h"

namespace karuvel::e2e {

// One test: the demo installed in a root of its own, a port of its own for the host, a short
// library time-out, and karuvel.exe started on demand.
class DscpE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(L"dscp-" + std::wstring(name.begin(), name.end()));
    ASSERT_TRUE(InstallDemo(root_));
    port_ = UseFreshPort();
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"1500");
    SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", nullptr);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", nullptr);
    SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", nullptr);
  }

  // karuvel.exe with the demo's two notes listed.
  HWND Start() {
    if (!karuvel_.Start()) return nullptr;
    return karuvel_.WaitReady(2);
  }
  HWND C(int id) const { return karuvel_.Control(id); }
  std::wstring Path(const wchar_t* relative) const { return root_ + relative; }

  bool LoadButtonsEnabled() const {
    return IsEnabled(C(ids::kCmd切替)) && IsEnabled(C(ids::kCmd再読み込み)) && IsEnabled(C(ids::kCmd終了));
  }
  static std::wstring Request(const std::wstring& etag, const std::wstring& path) {
    return L"LOAD DSCP/1.3\r\nTargetETag: " + etag + L"\r\nScript: " + path + L"\r\n\r\n";
  }
  static std::wstring OkReply(const std::wstring& etag, const std::wstring& path) {
    return L"DSCP/1.3 200 OK\r\nTargetETag: " + etag + L"\r\nScript: " + path + L"\r\n\r\n";
  }
  // Lets a posted click or choice be handled when nothing visible marks its end.
  static void Settle() { Sleep(400); }

  // The one message box a refused load shows, closed with OK; none when `message` is empty.
  void ExpectMessage(const std::wstring& message) const {
    if (message.empty()) {
      Settle();
      EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
      return;
    }
    HWND box = karuvel_.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), message);
    PressOk(box);
    EXPECT_TRUE(WaitUntil([&] { return MessageBoxesOf(karuvel_.Pid()).empty(); }));
  }
  // Texts a refused load must leave as they are.
  void MarkTexts() const {
    SetEditText(C(ids::kText1), L"reply before");
    SetEditText(C(ids::kText2), L"request before");
  }
  void ExpectNothingLoaded(const ZMemoHost& host) const {
    EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
    EXPECT_TRUE(host.Requests().empty());
    EXPECT_EQ(ReadText(C(ids::kText1)), L"reply before");
    EXPECT_EQ(ReadText(C(ids::kText2)), L"request before");
  }

  std::wstring root_;
  int port_ = 0;
  Karuvel karuvel_;
};

}  // namespace karuvel::e2e
