#include "settings/note_lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_app.h"
#include "shell/handlers.h"

namespace karuvel {
namespace {

using fakes::FakeApp;

const Text kUserDir = u"C:\\ZMemo\\USERS\\u\\";
const Text kMemoIni = kUserDir + u"memo.ini";

// Three enabled notes (enable lines in the order 4, 1, 9), note 2 not enabled.
const char kThreeNotes[] =
    "[Memo]\r\n"
    "4_ScriptEnableDscpServer=true\r\n"
    "4_ETag=E4\r\n"
    "4_WatermarkHistory-000=C:\\S\\a.ugu\r\n"
    "4_WatermarkHistory-001=C:\\S\\b.psn\r\n"
    "4_ScriptFileName=C:\\S\\c.ugu\r\n"
    "1_ScriptEnableDscpServer=TRUE\r\n"
    "1_ETag=E1\r\n"
    "1_WatermarkHistory-000=C:\\S\\x.ugu\r\n"
    "9_ScriptEnableDscpServer=True\r\n"
    "9_ETag=E9\r\n"
    "2_ETag=E2\r\n"
    "2_ScriptEnableDscpServer=false\r\n";

class NoteListsTest : public ::testing::Test {
 protected:
  FakeApp f;
  void SetUp() override { f.state.strUserDir = kUserDir; }
  void Write(const std::string& bytes) { f.host.files.files[kMemoIni] = bytes; }
};

TEST_F(NoteListsTest, ReloadListsEnabledNotesInFileOrderAndRunsTheFirstOnesChoiceNested) {
  Write(kThreeNotes);
  Cmd再読み込み_Click(f.app);
  // Notes filled, first chosen, then the choice's handling: texts emptied, the first note's
  // history refilled with its current script added last and chosen; no message.
  const std::vector<std::string> expected = {
      "Cbo切替対象 clear", "Cbo切替対象 add E4", "Cbo切替対象 add E1", "Cbo切替対象 add E9",
      "Cbo切替対象 select 0", "Text2=", "Text1=", "Cbo切替スクリプト clear",
      "Cbo切替スクリプト add C:\\S\\a.ugu", "Cbo切替スクリプト add C:\\S\\b.psn",
      "Cbo切替スクリプト add C:\\S\\c.ugu", "Cbo切替スクリプト select 2", "Text2=", "Text1="};
  EXPECT_EQ(f.view.log, expected);
}

TEST_F(NoteListsTest, ScriptListFollowsTheChosenNote) {
  Write(kThreeNotes);
  Cmd再読み込み_Click(f.app);

  struct Case {
    int16_t note;
    std::vector<Text> scripts;
    int chosen;
  };
  const Case cases[] = {
      {1, {u"C:\\S\\x.ugu"}, -1},  // history but no current script: nothing chosen
      {2, {}, -1},                 // empty history: empty list
      {0, {u"C:\\S\\a.ugu", u"C:\\S\\b.psn", u"C:\\S\\c.ugu"}, 2},
  };
  for (const Case& c : cases) {
    FillScriptList(f.state.table, f.view, c.note);
    EXPECT_EQ(f.view.Entries(List::Script), c.scripts) << "note " << c.note;
    EXPECT_EQ(f.view.ListSelected(List::Script), c.chosen) << "note " << c.note;
  }
}

TEST_F(NoteListsTest, CurrentScriptIsMatchedExactly) {
  Write("3_ScriptEnableDscpServer=true\r\n"
        "3_WatermarkHistory-000=C:\\S\\A.ugu\r\n"
        "3_WatermarkHistory-001=C:\\S\\a.ugu\r\n"
        "3_ScriptFileName=C:\\S\\a.ugu\r\n");
  Cmd再読み込み_Click(f.app);
  EXPECT_EQ(f.view.Entries(List::Script).size(), 2u);
  EXPECT_EQ(f.view.ListSelected(List::Script), 1);
}

TEST_F(NoteListsTest, IndexOutsideTheValidNotesLeavesTheScriptListAlone) {
  Write(kThreeNotes);
  Cmd再読み込み_Click(f.app);
  const std::vector<Text> before = f.view.Entries(List::Script);
  for (int16_t index : {int16_t{-1}, int16_t{3}, int16_t{100}, int16_t{101}, int16_t{32767}}) {
    FillScriptList(f.state.table, f.view, index);
    EXPECT_EQ(f.view.Entries(List::Script), before) << index;
    EXPECT_EQ(f.view.ListSelected(List::Script), 2) << index;
  }
}

}  // namespace
}  // namespace karuvel
