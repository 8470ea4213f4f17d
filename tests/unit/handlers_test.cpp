// The two lists, the choice and details handlers and start-up, as the view's log shows them.
#include "shell/handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_app.h"
#include "tests/expected_messages.h"

namespace karuvel {
namespace {

using Log = std::vector<std::string>;

// Notes 4, 1 and 9 enabled in that order, note 2 not. Note 4's current script is matched exactly;
// note 1 has no current script, note 9 no history.
const char kMemo[] =
    "[Memo]\r\n4_ScriptEnableDscpServer=true\r\n4_ETag=E4\r\n4_WatermarkHistory-000=C:\\S\\a.ugu\r\n"
    "4_WatermarkHistory-001=C:\\S\\C.ugu\r\n4_ScriptFileName=C:\\S\\c.ugu\r\n1_ScriptEnableDscpServer=TRUE\r\n"
    "1_WatermarkHistory-000=C:\\S\\x.ugu\r\n1_ETag=E1\r\n9_ScriptEnableDscpServer=true\r\n9_ETag=E9\r\n2_ETag=E2\r\n";
const Text kMemoPath = u"C:\\Z\\USERS\\u\\memo.ini";
const Log kFirstNoteChosen = {
    "Cbo切替対象 clear", "Cbo切替対象 add E4", "Cbo切替対象 add E1", "Cbo切替対象 add E9", "Cbo切替対象 select 0",
    "Text2=", "Text1=", "Cbo切替スクリプト clear", "Cbo切替スクリプト add C:\\S\\a.ugu",
    "Cbo切替スクリプト add C:\\S\\C.ugu", "Cbo切替スクリプト add C:\\S\\c.ugu", "Cbo切替スクリプト select 2",
    "Text2=", "Text1="};
const Log kNoNote = {"Cbo切替対象 clear", "Cbo切替スクリプト clear", std::string("message ") + expected::kNoSwitchableNote};

struct Rig : fakes::FakeApp {
  Rig() {
    state.strUserDir = u"C:\\Z\\USERS\\u\\";
    host.files.Add(kMemoPath, kMemo);
  }
  Log Run(void (*handler)(App&)) {
    view.log.clear();
    handler(app);
    return view.log;
  }
};

TEST(Handlers, ReloadListsTheNotesAndRunsTheFirstChoice) {
  Rig f;
  EXPECT_EQ(f.Run(Cmd再読み込み_Click), kFirstNoteChosen);
  f.host.files.files.clear();  // a missing file leaves the table, and the lists show it again
  EXPECT_EQ(f.Run(Cmd再読み込み_Click), kFirstNoteChosen);
  f.host.files.Add(kMemoPath, "4_ETag=E4\r\n");
  EXPECT_EQ(f.Run(Cmd再読み込み_Click), kNoNote);
}

TEST(Handlers, ChoosingANoteOrAScript) {
  Rig f;
  Cmd再読み込み_Click(f.app);
  const struct {
    int note;
    Log log;
  } rows[] = {
      {1, {"Text2=", "Text1=", "Cbo切替スクリプト clear", "Cbo切替スクリプト add C:\\S\\x.ugu"}},
      {2, {"Text2=", "Text1=", "Cbo切替スクリプト clear"}},
      {3, {"Text2=", "Text1="}},  // past the notes, or none: the script list stays
      {-1, {"Text2=", "Text1="}},
  };
  for (const auto& row : rows) {
    f.view.selected[0] = row.note;
    EXPECT_EQ(f.Run(Cbo切替対象_Click), row.log) << row.note;
  }
  EXPECT_EQ(f.Run(Cbo切替スクリプト_Click), (Log{"Text2=", "Text1="}));
}

TEST(Handlers, DetailsExpandsFromTheCollapsedHeightOnlyAndRunsStartCollapsed) {
  const Log expand = {"height 5685", "Text2 on", "Text1 on"}, collapse = {"height 2925", "Text2 off", "Text1 off"};
  for (int height : {2925, 0, 2926, 5685}) {
    Rig f;
    f.view.heightTwips = height;
    EXPECT_EQ(f.Run(Cmd詳細_Click), height == 2925 ? expand : collapse) << height;
  }
  Rig f;
  ShowCollapsedView(f.view);
  EXPECT_EQ(f.view.log, collapse);
}

struct FixedStartup : StartupServices {
  Text root, user;
  Text InstallRoot() override { return root; }
  Text CurrentUserName() override { return user; }
};

TEST(Startup, SettingsDecideWhetherTheProgramRuns) {
  const Log failed = {std::string("message ") + expected::kNotInstalled};
  const Log runs = {"Cbo切替対象 clear", "Cbo切替対象 add E1", "Cbo切替対象 select 0", "Text2=", "Text1=",
                    "Cbo切替スクリプト clear"};
  const std::string one = "1_ScriptEnableDscpServer=true\r\n1_ETag=E1\r\n";
  const struct {
    Text root, user, memoAt;
    std::string memo;
    bool runs;
    Log log;
  } rows[] = {
      {u"", u"u", u"\\USERS\\u\\memo.ini", one, false, failed},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\v\\memo.ini", one, false, failed},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", "1_ETag=E1\r\n", false, kNoNote},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", one, true, runs},
      {u"C:\\Z\\", u" u ", u"C:\\Z\\\\USERS\\ u \\memo.ini", one, true, runs},  // joined as they stand
  };
  for (const auto& row : rows) {
    Rig f;
    FixedStartup startup;
    startup.root = row.root;
    startup.user = row.user;
    f.host.files.files = {{row.memoAt, row.memo}};
    EXPECT_EQ(LoadStartupSettings(f.app, startup), row.runs) << fakes::U8(row.memoAt);
    EXPECT_EQ(f.view.log, row.log) << fakes::U8(row.memoAt);
  }
}

}  // namespace
}  // namespace karuvel
