// Drops on karuvel.exe made by another process through OLE, as a file manager makes them.
#include <string>
#include <vector>

#include "dscp_e2e.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using namespace zmemo_demo;

POINT ClientPoint(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

TEST_F(DscpE2e, OneFileDroppedOnAnyKindOfControlOrTheBareWindowIsLoaded) {
  ZMemoHost host(L"--root \"" + root_ + L"\"");
  ASSERT_TRUE(host.Started());
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  Click(C(kCmd詳細));  // the expanded view shows the text boxes
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(C(kText2)); }));
  Choose(C(kCbo切替対象), 1);

  RECT panel{};
  GetWindowRect(C(kFraパネル), &panel);
  struct Case {
    const char* name;
    POINT at;
  };
  const std::vector<Case> cases = {
      {"list", CentreOf(C(kCbo切替対象))},
      {"label", CentreOf(C(kLabel1))},
      {"frame", POINT{panel.left + 8, panel.bottom - 6}},
      {"text box", CentreOf(C(kText2))},
      {"disabled text box", CentreOf(C(kText1))},
      {"bare window", ClientPoint(window, 4, 4)},
  };
  const std::wstring script = Path(kPsn);
  const std::wstring request = Request(kETagSecond, script);
  size_t sent = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetEditText(C(kText2), L"");
    SetEditText(C(kText1), L"");
    Drop drop(c.at, {script});
    EXPECT_EQ(drop.Wait(), DROPEFFECT_COPY);
    ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == sent + 1; }));
    ++sent;
    EXPECT_EQ(host.Requests().back(), Ansi(request));
    EXPECT_TRUE(WaitUntil([&] { return ReadText(C(kText1)) == OkReply(kETagSecond, script); }));
    EXPECT_EQ(ReadText(C(kText2)), request);
    EXPECT_TRUE(LoadButtonsEnabled());
    EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
    if (c.name == std::string("disabled text box")) Click(C(kCmd詳細));  // collapse for the last case
  }
  // A drop leaves the note's history list as the last reload filled it.
  EXPECT_EQ(ListEntries(C(kCbo切替スクリプト)), std::vector<std::wstring>{script});

  // A source that offers only a move still has its script loaded, but the drop reports no effect:
  // a move would tell a file manager to delete the file Karuvel only read.
  Drop moveOnly = Drop::MoveOnly(C(kCbo切替対象), script);
  EXPECT_EQ(moveOnly.Wait(), DROPEFFECT_NONE);
  EXPECT_TRUE(WaitUntil([&] { return host.Requests().size() == sent + 1; }));
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
}

TEST_F(DscpE2e, TheSourceHasItsAnswerBeforeAHeldSendEndsAndTheSwitchStillSendsTheHistory) {
  SetEnvironmentVariableW(L"KARUVEL_DSCP_TIMEOUT_MS", L"30000");  // the library outwaits the hold
  ReplyHold hold;
  ZMemoHost host(hold.Option() + L" --root \"" + root_ + L"\"");
  ASSERT_TRUE(host.Started());
  ASSERT_NE(Start(), nullptr);
  const std::wstring dropped = Path(kPsn);

  Drop drop(C(kLabel1), {dropped});
  EXPECT_EQ(drop.Wait(), DROPEFFECT_COPY);  // the host holds its reply until released below
  ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == 1; }));
  EXPECT_FALSE(IsEnabled(C(kCmd切替)));  // the send is still under way
  hold.Release();
  ASSERT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
  EXPECT_EQ(host.Requests()[0], Ansi(Request(kETagFirst, dropped)));
  EXPECT_EQ(ReadText(C(kText1)), OkReply(kETagFirst, dropped));

  // 切替 loads the chosen history entry, not the file dropped before.
  hold.Release();
  Choose(C(kCbo切替スクリプト), 0);
  Click(C(kCmd切替));
  ASSERT_TRUE(WaitUntil([&] { return host.Requests().size() == 2; }));
  EXPECT_EQ(host.Requests()[1], Ansi(Request(kETagFirst, Path(kUguOwnDat))));
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
}

TEST_F(DscpE2e, DropRefusalsShowTheirMessageAndSendNothing) {
  const std::wstring good = Path(kUguOwnDat);
  // A well-formed package whose path the ANSI code page cannot hold.
  const std::wstring foreign = root_ + L"\\한국\\abc.psn";
  CreateDirectoryW((root_ + L"\\한국").c_str(), nullptr);
  CreateDirectoryW((root_ + L"\\한국\\ABC").c_str(), nullptr);
  CreateDirectoryW((root_ + L"\\한국\\ABC\\DAT").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(foreign, "psn"));
  ASSERT_TRUE(WriteBytes(root_ + L"\\한국\\ABC\\DAT\\aya00.out", "aya"));

  struct Case {
    const char* name;
    bool hostRunning;
    int note;
    std::vector<std::wstring> files;
    std::wstring message;  // empty: no message at all
  };
  const std::vector<Case> cases = {
      {"two files", true, 0, {good, Path(kPsn)}, L"複数スクリプトを一括して追加することはできません。"},
      {"no note chosen", true, -1, {good}, L""},
      {"ZMemo not running, two files", false, 0, {good, Path(kPsn)}, L"ZMemoが起動されていません。"},
      {"package without data file", true, 0, {Path(kUguNoData)},
       L"このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。\r『" +
           Path(kUguNoData) + L"』"},
      {"outside the code page", true, 0, {foreign},
       L"このスクリプト情報ファイル（UGU/PSNファイル）は登録できません。\r『" + foreign + L"』"},
  };
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZMemoHost host(c.hostRunning ? L"" : L"--no-mutex");
    ASSERT_TRUE(host.Started());
    Choose(C(kCbo切替対象), c.note);
    MarkTexts();
    Drop drop(C(kLabel2), c.files);
    // The drag source has its answer before the drop's message box is closed.
    EXPECT_EQ(drop.Wait(), DROPEFFECT_COPY);
    ExpectMessage(c.message);
    ExpectNothingLoaded(host);
  }
}

TEST_F(DscpE2e, DropOfTextOrOfOneEmptyFileNameSendsNothingAndShowsNothing) {
  ZMemoHost host(L"");
  ASSERT_TRUE(host.Started());
  ASSERT_NE(Start(), nullptr);
  for (const bool text : {true, false}) {
    Drop drop = text ? Drop::Text(C(kCbo切替スクリプト), L"LOAD DSCP/1.3") : Drop(C(kLabel1), {L""});  // "" is no file
    EXPECT_EQ(drop.Wait(), DROPEFFECT_COPY);
    EXPECT_TRUE(MessageBoxesOf(karuvel_.Pid()).empty());
    EXPECT_TRUE(LoadButtonsEnabled());
  }
  EXPECT_TRUE(host.Requests().empty());
}

TEST_F(DscpE2e, DropWhileASwitchIsUnderWayIsIgnored) {
  ZMemoHost host(L"");
  ASSERT_TRUE(host.Started());
  ASSERT_NE(Start(), nullptr);
  Choose(C(kCbo切替スクリプト), 3);  // its package is broken: the switch stops at its message
  Click(C(kCmd切替));
  HWND box = karuvel_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(IsEnabled(C(kCmd切替)));

  Drop drop(C(kLabel1), {Path(kPsn)});
  EXPECT_EQ(drop.Wait(), DROPEFFECT_COPY);  // delivered inside the message box's loop, and ignored
  EXPECT_EQ(MessageBoxesOf(karuvel_.Pid()).size(), 1u);
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return LoadButtonsEnabled(); }));
  EXPECT_TRUE(host.Requests().empty());
}

}  // namespace
}  // namespace karuvel::e2e
