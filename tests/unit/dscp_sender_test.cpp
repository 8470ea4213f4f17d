// The request sender: what reaches chc_DSCPSend and how its reply buffer is read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dscp/winsock01.h"
#include "fake_app.h"

namespace karuvel {
namespace {

using fakes::FakeApp;
using fakes::U8;

// Replies cut at a NUL are shown end to end; only a library that fills the whole buffer without
// a NUL cannot be made there.
TEST(DscpSender, ReplyWithoutANulIsTheWholeBufferAndNeverBeyond) {
  FakeApp rig;
  rig.host.dscp.reply = std::string(kReplyBufferSize, 'x');
  SendDscpRequest(rig.load);
  EXPECT_EQ(rig.state.strReceiveText, Text(kReplyBufferSize, u'x'));
  EXPECT_EQ(rig.view.Reply(), Text(kReplyBufferSize, u'x'));
  EXPECT_TRUE(rig.view.messages.empty());
}

TEST(DscpSender, OnlyMinusOneShowsTheNoCommandMessageAndTheReplyStillFollows) {
  for (int32_t result : {-1, 0, 1, -2, 19999}) {
    SCOPED_TRACE(result);
    FakeApp rig;
    rig.host.dscp.reply = "why";
    rig.host.dscp.result = result;
    SendDscpRequest(rig.load);
    if (result == -1) {
      ASSERT_GE(rig.view.log.size(), 2u);
      EXPECT_EQ(rig.view.log[rig.view.log.size() - 2], "message コマンドが指定されていません。");
    } else {
      EXPECT_TRUE(rig.view.messages.empty());
    }
    EXPECT_EQ(rig.view.log.back(), "Text1=why");
  }
}

TEST(DscpSender, SendsTheRequestInTheAnsiCodePageToLoopbackWithAFreshZeroBuffer) {
  FakeApp rig;
  rig.state.strSendText = u"LOAD DSCP/1.3\r\nScript: C:\\ソフト\\表.ugu\r\n\r\n";
  rig.host.dscp.reply = std::string(300, 'z');
  SendDscpRequest(rig.load);
  rig.host.dscp.reply = "a";
  SendDscpRequest(rig.load);  // the second send must not see the first reply's bytes
  ASSERT_EQ(rig.host.dscp.requests.size(), 2u);
  EXPECT_EQ(rig.host.dscp.hosts[1], "127.0.0.1");
  EXPECT_EQ(rig.host.dscp.requests[1], "LOAD DSCP/1.3\r\nScript: C:\\\x83\x5C\x83t\x83g\\\x95\x5C.ugu\r\n\r\n");
  EXPECT_TRUE(rig.host.dscp.bufferWasZero);
  EXPECT_EQ(rig.state.strReceiveText, u"a");
  EXPECT_EQ(rig.state.strSendText, u"LOAD DSCP/1.3\r\nScript: C:\\ソフト\\表.ugu\r\n\r\n");
}

TEST(DscpSender, WaitCursorIsUpOnlyWhileTheLibraryBlocks) {
  FakeApp rig;
  bool busyDuringSend = false;
  rig.host.dscp.onSend = [&] { busyDuringSend = rig.view.busy; };
  SendDscpRequest(rig.load);
  EXPECT_TRUE(busyDuringSend);
  EXPECT_FALSE(rig.view.busy);
}

TEST(DscpSender, MissingLibraryIsReportedByNameAndNothingIsShownAsReply) {
  FakeApp rig;
  rig.host.dscp.loaded = false;
  rig.state.strReceiveText = u"old";
  SendDscpRequest(rig.load);
  EXPECT_EQ(rig.view.messages, std::vector<Text>{u"DSCP通信ライブラリを読み込めません。\r『chc_dscp.dll』"});
  EXPECT_EQ(rig.state.strReceiveText, u"");
  EXPECT_FALSE(rig.view.busy);
  for (const std::string& line : rig.view.log) EXPECT_NE(line.rfind("Text1=", 0), 0u) << line;
}

}  // namespace
}  // namespace karuvel
