// The switch button and the request sender, end to end: karuvel.exe, the stand-in chc_dscp.dll
// beside it and the stand-in ZMemo host over real sockets on 127.0.0.1.
#include <string>
#include <vector>

#include "dscp_e2e.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using namespace zmemo_demo;

TEST_F(DscpE2e, SwitchSendsTheFourLinesInTheAnsiCodePageAndShowsRequestAndReply) {
  ZMemoHost host(L"--root \"" + root_ + L"\"");
  ASSERT_TRUE(host.Started());
  ASSERT_NE(Start(), nullptr);
  Choose(C(kCbo切替スクリプト), 1);  // the script in "さくら 日記": a space and kana in the path
  Click(C(kCmd切替));
  const std::wstring request = Request(kETagFirst, Path(kUguSharedDat));
  ASSERT_TRUE(WaitUntil([&] { return !ReadText(C(kText1)).empty(); }));
  EXPECT_EQ(host.Requests(), std::vector<std::string>{Ansi(request)});
  EXPECT_EQ(ReadText(C(kText2)), request);
  EXPECT_EQ(ReadText(C(kText1)), OkReply(kETagFirst, Path(kUguSharedDat)));
  EXPECT_TRUE(LoadButtonsEnabled());
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
}

// ZMemo run elevated holds its mutex with rights that refuse ours; it runs and answers all the same.
TEST_F(DscpE2e, SwitchReachesZMemoWhoseMutexRefusesOurAccess) {
  ZMemoHost host(L"--guarded-mutex --root \"" + root_ + L"\"");
  ASSERT_TRUE(host.Started());
  const HANDLE opened = OpenMutexA(MUTEX_ALL_ACCESS, TRUE, "TMemoManWndMutex");
  const DWORD error = opened ? ERROR_SUCCESS : GetLastError();
  if (opened) CloseHandle(opened);
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));  // else any switch would pass
  ASSERT_NE(Start(), nullptr);
  Choose(C(kCbo切替スクリプト), 0);
  Click(C(kCmd切替));
  ASSERT_TRUE(WaitUntil([&] { return !ReadText(C(kText1)).empty(); }));
  EXPECT_EQ(host.Requests(), std::vector<std::string>{Ansi(Request(kETagFirst, Path(kUguOwnDat)))});
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
}

TEST_F(DscpE2e, SwitchRefusalsShowTheirMessageAndSendNothing) {
  struct Case {
    const char* name;
    bool hostRunning;
    int script;
    std::wstring message;  // empty: no message at all
  };
  const std::vector<Case> cases = {
      {"ZMemo not running", false, 0, L"ZMemoが起動されていません。"},
      {"no script chosen", true, -1, L""},
      {"package without data file", true, 3,
       L"このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。\r『" +
           Path(kUguNoData) + L"』"},
      {"information file gone", true, 4,
       L"このスクリプト情報ファイル（UGU/PSNファイル）は存在しません。\r『" + Path(kUguMissing) + L"』"},
  };
  ASSERT_NE(Start(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZMemoHost host(c.hostRunning ? L"" : L"--no-mutex");
    ASSERT_TRUE(host.Started());
    Choose(C(kCbo切替スクリプト), c.script);  // empties both boxes before the mark
    MarkTexts();
    Click(C(kCmd切替));
    ExpectMessage(c.message);
    ExpectNothingLoaded(host);
  }
}

TEST_F(DscpE2e, ReplyBufferIsShownUpToItsFirstNul) {
  struct Case {
    const char* name;
    std::wstring options;
    std::wstring shown;
  };
  const std::vector<Case> cases = {
      {"abc", L"--reply-hex 616263", L"abc"},
      {"NUL in the middle", L"--reply-hex 61620063", L"ab"},
      {"empty", L"--reply-hex \"\"", L""},
      {"shift-jis", L"--reply-hex 835c8374836720323030", L"ソフト 200"},
  };
  ASSERT_NE(Start(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZMemoHost host(c.options);
    ASSERT_TRUE(host.Started());
    SetEditText(C(kText1), L"not yet");
    Click(C(kCmd切替));
    ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == 1 && ReadText(C(kText1)) != L"not yet"; }));
    EXPECT_EQ(ReadText(C(kText1)), c.shown);
    EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
  }
  ZMemoHost full(L"--reply-fill 19999");
  ASSERT_TRUE(full.Started());
  Click(C(kCmd切替));
  std::wstring all;
  for (int i = 0; i < 19999; ++i) all.push_back(static_cast<wchar_t>(L'a' + i % 26));
  ASSERT_TRUE(WaitUntil([&] { return ReadText(C(kText1)).size() == 19999; }));
  EXPECT_EQ(ReadText(C(kText1)), all);
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
}

TEST_F(DscpE2e, MinusOneShowsTheNoCommandMessageThenTheReply) {
  SetEnvironmentVariableW(L"KARUVEL_DSCP_FORCE_RESULT", L"-1");
  ZMemoHost host(L"--reply-hex 6e6f");
  ASSERT_TRUE(host.Started());
  ASSERT_NE(Start(), nullptr);
  Click(C(kCmd切替));
  HWND box = karuvel_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"コマンドが指定されていません。");
  EXPECT_EQ(ReadText(C(kText1)), L"");  // the reply follows the message
  EXPECT_FALSE(IsEnabled(C(kCmd切替)));
  PressOk(box);
  ASSERT_TRUE(WaitUntil([&] { return ReadText(C(kText1)) == L"no"; }));
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
}

TEST_F(DscpE2e, HostDownOrSilentEndsWithinTheLibraryTimeOutAndKaruvelGoesOn) {
  ASSERT_NE(Start(), nullptr);
  {
    // ZMemo's mutex is there but nobody listens on the library's port.
    ZMemoHost deaf(L"--port " + std::to_wstring(port_ + 2000));
    ASSERT_TRUE(deaf.Started());
    Click(C(kCmd切替));
    ASSERT_TRUE(WaitUntil([&] { return ReadText(C(kText1)).find(L"cannot connect") != std::wstring::npos; }));
    EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
  }
  ZMemoHost silent(L"--silent-ms 6000");
  ASSERT_TRUE(silent.Started());
  Click(C(kCmd切替));
  ASSERT_TRUE(WaitUntil([&] { return ReadText(C(kText1)).find(L"timed out") != std::wstring::npos; }, 8000));
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
  EXPECT_TRUE(karuvel_.Running());
  EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
}

// A copy of karuvel.exe in a directory without chc_dscp.dll.
TEST_F(DscpE2e, MissingLibraryIsReportedAndKaruvelGoesOn) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"karuvel-e2e\\no-library";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring exe = dir + L"\\karuvel.exe";
  DeleteFileW((dir + L"\\chc_dscp.dll").c_str());
  ASSERT_TRUE(CopyFileW(KaruvelExePath().c_str(), exe.c_str(), FALSE));
  ZMemoHost host(L"");
  ASSERT_TRUE(host.Started());

  DWORD pid = 0;
  const HANDLE process = Launch(Quoted(exe), &pid);
  ASSERT_NE(process, nullptr);
  HWND window = nullptr;
  HWND button = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = MainWindowOf(pid);
    button = window ? GetDlgItem(GetDlgItem(window, kFrame1), kCmd切替) : nullptr;
    return button != nullptr;
  }, 10000));
  Click(button);
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<HWND> boxes = MessageBoxesOf(pid);
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr;
  }));
  if (box) {
    EXPECT_EQ(MessageBoxText(box), L"DSCP通信ライブラリを読み込めません。\r『chc_dscp.dll』");
    PressOk(box);
  }
  EXPECT_TRUE(WaitUntil([&] { return IsEnabled(button) && MessageBoxesOf(pid).empty(); }));
  EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(host.Requests().empty());
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

}  // namespace
}  // namespace karuvel::e2e
