#include "shell/handlers.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_app.h"
#include "settings/note_lists.h"

namespace karuvel {
namespace {

using fakes::FakeApp;

const Text kNoNotes =
    u"切替可能な付箋がありません。\r付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";

const char kTwoNotes[] =
    "1_ScriptEnableDscpServer=true\r\n"
    "1_ETag=E1\r\n"
    "1_WatermarkHistory-000=C:\\S\\a.ugu\r\n"
    "1_ScriptFileName=C:\\S\\a.ugu\r\n"
    "2_ScriptEnableDscpServer=true\r\n"
    "2_ETag=E2\r\n"
    "2_WatermarkHistory-000=C:\\S\\p.ugu\r\n"
    "2_WatermarkHistory-001=C:\\S\\q.ugu\r\n"
    "2_ScriptFileName=C:\\S\\q.ugu\r\n";

class FixedStartup : public StartupServices {
 public:
  Text root;
  Text user = u"u";
  int userNameCalls = 0;
  Text InstallRoot() override { return root; }
  Text CurrentUserName() override {
    ++userNameCalls;
    return user;
  }
};

TEST(Handlers, ChoosingANoteEmptiesTheTextsAndRefillsItsScripts) {
  FakeApp f;
  f.state.strUserDir = u"D:\\";
  f.host.files.files[u"D:\\memo.ini"] = kTwoNotes;
  Cmd再読み込み_Click(f.app);
  f.view.Request() = u"LOAD";
  f.view.Reply() = u"200 OK";
  f.view.log.clear();

  f.view.Choose(List::Target, 1);
  Cbo切替対象_Click(f.app);

  EXPECT_EQ(f.view.Entries(List::Script), (std::vector<Text>{u"C:\\S\\p.ugu", u"C:\\S\\q.ugu"}));
  EXPECT_EQ(f.view.ListSelected(List::Script), 1);
  EXPECT_TRUE(f.view.Request().empty());
  EXPECT_TRUE(f.view.Reply().empty());
  // Text2 is emptied before Text1, and both before the script list changes.
  ASSERT_GE(f.view.log.size(), 3u);
  EXPECT_EQ(f.view.log[0], "Text2=");
  EXPECT_EQ(f.view.log[1], "Text1=");
  EXPECT_EQ(f.view.log[2], "Cbo切替スクリプト clear");
}

TEST(Handlers, DetailsExpandsOnlyFromTheCollapsedHeightAndCollapsesFromAnyOther) {
  const std::vector<std::string> expand = {"height 5685", "Text2 on", "Text1 on"};
  const std::vector<std::string> collapse = {"height 2925", "Text2 off", "Text1 off"};
  for (int height : {2925, 0, 2924, 2926, 5685, 9000}) {
    FakeApp f;
    f.view.heightTwips = height;
    Cmd詳細_Click(f.app);
    EXPECT_EQ(f.view.log, height == 2925 ? expand : collapse) << height;
  }
}

TEST(Startup, CollapsedViewDisablesText2ThenText1) {
  FakeApp f;
  ShowCollapsedView(f.view);
  EXPECT_EQ(f.view.log, (std::vector<std::string>{"height 2925", "Text2 off", "Text1 off"}));
}

TEST(Startup, SettingsDecideWhetherTheProgramRuns) {
  struct Case {
    const char* name;
    Text root;
    Text user;
    Text memoPath;  // where memo.ini exists; empty for nowhere
    std::string memo;
    bool runs;
    Text message;  // the one message expected, empty for none
    Text userDir;
  };
  const Text failure =
      u"ZMemoがインストールされていないか、または一度も起動されていません。\rZMemoを起動した後に実行してください。";
  const Text noNotes = kNoNotes;
  const Case cases[] = {
      {"no root", u"", u"u", u"C:\\Z\\USERS\\u\\memo.ini", kTwoNotes, false, failure, u""},
      {"no memo.ini", u"C:\\Z", u"u", u"", "", false, failure, u"C:\\Z\\USERS\\u\\"},
      {"memo.ini of another user", u"C:\\Z", u"u", u"C:\\Z\\USERS\\v\\memo.ini", kTwoNotes, false,
       failure, u"C:\\Z\\USERS\\u\\"},
      {"no enabled note", u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", "1_ETag=E1\r\n", false,
       noNotes, u"C:\\Z\\USERS\\u\\"},
      {"normal", u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", kTwoNotes, true, u"",
       u"C:\\Z\\USERS\\u\\"},
      {"root ending in a backslash", u"C:\\Z\\", u"u", u"C:\\Z\\\\USERS\\u\\memo.ini", kTwoNotes,
       true, u"", u"C:\\Z\\\\USERS\\u\\"},
      {"user name kept as it stands", u" C:\\Z ", u"u ", u" C:\\Z \\USERS\\u \\memo.ini", kTwoNotes,
       true, u"", u" C:\\Z \\USERS\\u \\"},
  };
  for (const Case& c : cases) {
    FakeApp f;
    FixedStartup startup;
    startup.root = c.root;
    startup.user = c.user;
    if (!c.memoPath.empty()) f.host.files.files[c.memoPath] = c.memo;

    EXPECT_EQ(LoadStartupSettings(f.app, startup), c.runs) << c.name;
    EXPECT_EQ(f.state.strRootDir, c.root) << c.name;
    EXPECT_EQ(f.state.strUserDir, c.userDir) << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(f.view.messages.empty()) << c.name;
    } else {
      EXPECT_EQ(f.view.messages, std::vector<Text>{c.message}) << c.name;
    }
    if (c.root.empty()) {
      EXPECT_EQ(startup.userNameCalls, 0) << c.name;
    }
    if (c.runs) {
      EXPECT_EQ(f.view.Entries(List::Target), (std::vector<Text>{u"E1", u"E2"})) << c.name;
      EXPECT_EQ(f.view.ListSelected(List::Target), 0) << c.name;
      EXPECT_EQ(f.view.ListSelected(List::Script), 0) << c.name;
    }
  }
}

}  // namespace
}  // namespace karuvel
