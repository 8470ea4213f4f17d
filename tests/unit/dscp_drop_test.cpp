// Drop registration: the order of its refusals, the request for a dropped file and the handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/handlers.h"
#include "fake_app.h"

namespace karuvel {
namespace {

using fakes::FakeApp;
using fakes::U8;

const Text kGood = u"C:\\新しい\\psn\\abc.psn";
const Text kGoodData = u"C:\\新しい\\psn\\ABC\\DAT\\aya00.out";
const Text kNoData = u"C:\\S\\nodata.ugu";
const std::vector<std::string> kButtonsOffOn = {"Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off",
                                                "Cmd切替 on",  "Cmd再読み込み on",  "Cmd終了 on"};

struct DropRig : FakeApp {
  DropRig() {
    for (const Text& path : {kGood, kGoodData, kNoData}) host.files.Add(path);
    AddNote(u"E0", {});
    AddNote(u"E1", {u"C:\\H\\history.ugu"});
    view.Choose(List::Target, 1);
    view.Choose(List::Script, 0);
    host.dscp.reply = "OK";
  }
  void Drop(const std::vector<Text>& files) {
    Form_OLEDragDrop(app, DropData{files});
  }
};

TEST(DropRegistration, OneFileLoadsIntoTheChosenNoteWithoutReadingTheScriptList) {
  DropRig rig;
  rig.Drop({kGood});
  const Text request = u"LOAD DSCP/1.3\r\nTargetETag: E1\r\nScript: C:\\新しい\\psn\\abc.psn\r\n\r\n";
  EXPECT_EQ(rig.state.strSendText, request);
  EXPECT_EQ(rig.host.dscp.requests.size(), 1u);
  const std::vector<std::string> expected = {"Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off", "Text2=" + U8(request),
                                             "Text1=", "busy", "idle", "Text1=OK", "Cmd切替 on", "Cmd再読み込み on",
                                             "Cmd終了 on"};
  EXPECT_EQ(rig.view.log, expected);
  EXPECT_EQ(rig.view.listReads[static_cast<int>(List::Script)], 0);
}

TEST(DropRegistration, RefusalsComeInOrderAndTouchNoButton) {
  struct Case {
    const char* name;
    int16_t running;
    int note;
    size_t files;
    std::vector<std::string> log;
  };
  const std::vector<Case> cases = {
      {"not running beats everything", 0, -1, 2, {"message ZMemoが起動されていません。"}},
      {"no note chosen", 1, -1, 2, {}},
      {"position past the table", 1, 2, 1, {}},
      {"two files", 1, 1, 2, {"message 複数スクリプトを一括して追加することはできません。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DropRig rig;
    rig.host.running = c.running;
    rig.view.Choose(List::Target, c.note);
    rig.Drop(std::vector<Text>(c.files, kGood));
    EXPECT_EQ(rig.view.log, c.log);
    EXPECT_EQ(rig.host.dscp.calls, 0);
  }
}

TEST(DropRegistration, DropWhileALoadRunsIsIgnored) {
  DropRig rig;
  rig.view.buttons[static_cast<int>(Button::Switch)] = false;
  rig.host.running = 0;
  rig.Drop({kGood});
  EXPECT_TRUE(rig.view.log.empty());
  EXPECT_EQ(rig.host.dscp.calls, 0);
}

TEST(DropRegistration, DataWithoutFilesOnlyTogglesTheButtons) {
  DropRig rig;
  rig.Drop({});
  EXPECT_EQ(rig.view.log, kButtonsOffOn);
  EXPECT_EQ(rig.host.dscp.calls, 0);
}

TEST(DropRegistration, RefusedFileShowsItsMessageAndKeepsEarlierTexts) {
  const std::vector<std::pair<Text, std::string>> cases = {
      {kNoData, "このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。\r『C:\\S\\nodata.ugu』"},
      {u"C:\\S\\none.ugu", "このスクリプト情報ファイル（UGU/PSNファイル）は存在しません。\r『C:\\S\\none.ugu』"},
      // Outside the ANSI code page: ZMemo would receive another path, so it is refused even though
      // the package itself is well formed.
      {u"C:\\café\\abc.psn", "このスクリプト情報ファイル（UGU/PSNファイル）は登録できません。\r『C:\\café\\abc.psn』"},
  };
  for (const auto& [path, message] : cases) {
    SCOPED_TRACE(U8(path));
    DropRig rig;
    rig.host.files.Add(u"C:\\café\\abc.psn");
    rig.host.files.Add(u"C:\\café\\ABC\\DAT\\aya00.out");
    rig.state.strSendText = u"earlier";
    rig.view.texts[0] = u"reply";
    rig.view.texts[1] = u"request";
    rig.Drop({path});
    std::vector<std::string> expected = kButtonsOffOn;
    expected.insert(expected.begin() + 3, "message " + message);
    EXPECT_EQ(rig.view.log, expected);
    EXPECT_EQ(rig.state.strSendText, u"earlier");
    EXPECT_EQ(rig.view.Reply(), u"reply");
    EXPECT_EQ(rig.view.Request(), u"request");
    EXPECT_EQ(rig.host.dscp.calls, 0);
  }
}

}  // namespace
}  // namespace karuvel
