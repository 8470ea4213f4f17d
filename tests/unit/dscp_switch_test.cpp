// The script switch: the LOAD request, the outcome messages and the button protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dscp/script_switch.h"
#include "packages/script_package.h"
#include "fake_app.h"

namespace karuvel {
namespace {

using fakes::FakeApp;
using fakes::U8;

const Text kGood = u"C:\\S\\a b\\ソフト表.ugu";           // a UGU whose data directory is beside it
const Text kGoodData = u"C:\\S\\a b\\ソフト表\\DAT\\mio00.euu";  // upper-casing leaves kana alone
const Text kNoData = u"C:\\S\\broken.ugu";
const Text kMissing = u"C:\\S\\gone.psn";

struct SwitchRig : FakeApp {
  SwitchRig() {
    for (const Text& path : {kGood, kGoodData, kNoData}) host.files.Add(path);
    AddNote(u"E0", {u"C:\\X\\x.ugu"});
    AddNote(u"E1", {kGood, kNoData, kMissing});
    view.Choose(List::Target, 1);
    view.Choose(List::Script, 0);
    host.dscp.reply = "DSCP/1.3 200 OK\r\n";
  }
};

TEST(ScriptSwitch, SendsTheFourLineLoadRequestAndShowsRequestAndReply) {
  SwitchRig rig;
  std::vector<bool> buttonsDuringSend;
  rig.host.dscp.onSend = [&] {
    for (Button b : {Button::Switch, Button::Reload, Button::Exit, Button::Details})
      buttonsDuringSend.push_back(rig.view.IsButtonEnabled(b));
  };
  Cmd切替_Click(rig.load);

  const Text request = u"LOAD DSCP/1.3\r\nTargetETag: E1\r\nScript: C:\\S\\a b\\ソフト表.ugu\r\n\r\n";
  EXPECT_EQ(rig.state.strSendText, request);
  ASSERT_EQ(rig.host.dscp.requests.size(), 1u);
  EXPECT_EQ(rig.host.dscp.requests[0],
            "LOAD DSCP/1.3\r\nTargetETag: E1\r\nScript: C:\\S\\a b\\\x83\x5C\x83t\x83g\x95\x5C.ugu\r\n\r\n");
  EXPECT_EQ(buttonsDuringSend, (std::vector<bool>{false, false, false, true}));
  const std::vector<std::string> expected = {
      "Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off", "Text2=" + U8(request), "Text1=", "busy", "idle",
      "Text1=DSCP/1.3 200 OK\r\n", "Cmd切替 on", "Cmd再読み込み on", "Cmd終了 on"};
  EXPECT_EQ(rig.view.log, expected);
}

TEST(ScriptSwitch, ZMemoNotRunningShowsOnlyItsMessage) {
  SwitchRig rig;
  rig.host.running = 0;
  Cmd切替_Click(rig.load);
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"message ZMemoが起動されていません。"});
  EXPECT_EQ(rig.host.dscp.calls, 0);
}

TEST(ScriptSwitch, IndicesOutsideTheTableDoNothingSilently) {
  const std::vector<std::pair<int, int>> cases = {{-1, 0}, {1, -1}, {2, 0}, {1, 3}, {0, 1}, {-1, -1}};
  for (const auto& [note, script] : cases) {
    SCOPED_TRACE(testing::Message() << note << "," << script);
    SwitchRig rig;
    rig.state.strSendText = u"earlier";
    rig.view.Choose(List::Target, note);
    rig.view.Choose(List::Script, script);
    EXPECT_EQ(SwitchScript(rig.load, static_cast<int16_t>(note), static_cast<int16_t>(script)), -9);
    Cmd切替_Click(rig.load);
    EXPECT_EQ(rig.view.log, (std::vector<std::string>{"Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off", "Cmd切替 on",
                                                      "Cmd再読み込み on", "Cmd終了 on"}));
    EXPECT_EQ(rig.state.strSendText, u"earlier");
    EXPECT_EQ(rig.host.dscp.calls, 0);
  }
}

TEST(ScriptSwitch, FailedPackageCheckShowsItsMessageAndSendsNothing) {
  const std::vector<std::pair<int, Text>> cases = {
      {1, u"このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。\r『C:\\S\\broken.ugu』"},
      {2, u"このスクリプト情報ファイル（UGU/PSNファイル）は存在しません。\r『C:\\S\\gone.psn』"},
  };
  for (const auto& [script, message] : cases) {
    SwitchRig rig;
    rig.state.strSendText = u"earlier";
    rig.view.texts[0] = u"reply before";
    rig.view.Choose(List::Script, script);
    Cmd切替_Click(rig.load);
    EXPECT_EQ(rig.view.messages, std::vector<Text>{message});
    EXPECT_EQ(rig.state.strSendText, u"earlier");
    EXPECT_EQ(rig.view.Reply(), u"reply before");
    EXPECT_EQ(rig.host.dscp.calls, 0);
    EXPECT_TRUE(rig.view.IsButtonEnabled(Button::Switch) && rig.view.IsButtonEnabled(Button::Reload) &&
                rig.view.IsButtonEnabled(Button::Exit));
  }
}

// The messages for the known results are checked where a switch or a drop is refused.
TEST(ScriptSwitch, OutcomeMessageForAnUnknownResult) {
  for (int16_t other : {int16_t{-4}, int16_t{1}, int16_t{-32768}})
    EXPECT_EQ(U8(PackageOutcomeMessage(other, u"D:\\スクリプト\\x.psn")),
              "予期しないエラーが発生しました。\r『D:\\スクリプト\\x.psn』");
}

TEST(ScriptSwitch, LoadRequestKeepsETagAndPathAsStored) {
  EXPECT_EQ(BuildLoadRequest(u" \"e 1\" ", u"C:\\S\\a.ugu "),
            u"LOAD DSCP/1.3\r\nTargetETag:  \"e 1\" \r\nScript: C:\\S\\a.ugu \r\n\r\n");
}

}  // namespace
}  // namespace karuvel
