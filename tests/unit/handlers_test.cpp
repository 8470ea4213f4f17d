// What the window's handlers do, as one log of the view's and the DSCP library's calls: the lists,
// the details view, start-up, the switch, the drop and the request sender.
#include "shell/handlers.h"

#include <gtest/gtest.h>

#include "dscp/script_switch.h"
#include "dscp/request_sender.h"
#include "fake_app.h"
#include "tests/expected_messages.h"

namespace karuvel {
namespace {

using namespace std::string_literals;
using Log = std::vector<std::string>;

// A message as the log shows it, its path filled in.
std::string Message(std::string text, const std::string& path = "") {
  if (const size_t at = text.find("{path}"); at != std::string::npos) text.replace(at, 6, path);
  return "message " + text;
}

// Notes 4, 1 and 9 enabled in that order, note 2 not. Note 4, "付箋1", holds a package with its data
// beside it, one without data, a missing one, and a current script matched exactly. Note 1 has its
// current script only, note 9 no history. Bytes in code page 932: 付箋 95 74 E2 B3, ソフト表 83 5C 83 74 83 67 95 5C.
const char kMemo[] =
    "[Memo]\r\n4_ScriptEnableDscpServer=true\r\n4_ETag=\x95\x74\xE2\xB3" "1\r\n"
    "4_WatermarkHistory-0=C:\\S\\a b\\\x83\x5C\x83\x74\x83\x67\x95\x5C.ugu\r\n"
    "4_WatermarkHistory-=C:\\S\\bad.ugu\r\n4_WatermarkHistory-=C:\\S\\gone.psn\r\n4_WatermarkHistory-=C:\\S\\C.ugu\r\n"
    "4_ScriptFileName=C:\\S\\c.ugu\r\n1_ScriptEnableDscpServer=TRUE\r\n1_ScriptFileName=C:\\S\\x.ugu\r\n"
    "1_ETag=E1\r\n9_ScriptEnableDscpServer=true\r\n9_ETag=E9\r\n2_ETag=E2\r\n";
const Log kNoNote = {"Cbo切替対象 clear", "Cbo切替スクリプト clear", Message(expected::kNoSwitchableNote)};

// The user's memo.ini, and packages for a switch or a drop.
struct Rig : fakes::FakeApp, StartupServices {
  Text root, user;
  explicit Rig(const Text& memoAt = u"C:\\Z\\USERS\\u\\memo.ini", const std::string& memo = kMemo) {
    state.strUserDir = u"C:\\Z\\USERS\\u\\";
    files.Add(memoAt, memo);
    for (const char16_t* path : {u"C:\\S\\a b\\ソフト表.ugu", u"C:\\S\\a b\\ソフト表\\DAT\\mio00.euu", u"C:\\S\\bad.ugu",
                                 u"C:\\新しい\\abc.psn", u"C:\\新しい\\ABC\\DAT\\aya00.out"})
      files.Add(path);
    reply = "DSCP/1.3 200 OK";
  }
  // After a reload: ZMemo running or not, a note and a script chosen.
  Rig(int16_t zmemo, int note, int script = 0) : Rig() {
    Cmd再読み込み_Click(app);
    running = zmemo;
    view.selected[0] = note;
    view.selected[1] = script;
    state.table.Notes[3] = state.table.Notes[0];  // left past the notes by an earlier, longer table
  }
  template <typename Handler, typename... Args>
  Log Run(Handler handler, Args&&... args) {
    view.log.clear();
    handler(std::forward<Args>(args)...);
    return view.log;
  }
  Log Switch() { return Run(Cmd切替_Click, load); }
  Log Drop(const std::vector<Text>& paths) { return Run(Form_OLEDragDrop, app, DropData{paths}); }
  Log SendWith(int32_t code, std::string bytes) { result = code; reply = bytes; return Run(SendDscpRequest, load); }
  Text InstallRoot() override { return root; }
  Text CurrentUserName() override { return user; }
};

TEST(Handlers, ReloadAndChoices) {
  const Log reloaded = {
      "Cbo切替対象 clear", "Cbo切替対象 add 付箋1", "Cbo切替対象 add E1", "Cbo切替対象 add E9", "Cbo切替対象 select 0",
      "Request=", "Reply=", "Cbo切替スクリプト clear", "Cbo切替スクリプト add C:\\S\\a b\\ソフト表.ugu",
      "Cbo切替スクリプト add C:\\S\\bad.ugu", "Cbo切替スクリプト add C:\\S\\gone.psn",
      "Cbo切替スクリプト add C:\\S\\C.ugu", "Cbo切替スクリプト add C:\\S\\c.ugu", "Cbo切替スクリプト select 4",
      "Request=", "Reply="};
  Rig f;
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), reloaded);
  const struct { int note; Log log; } rows[] = {
      {1, {"Request=", "Reply=", "Cbo切替スクリプト clear", "Cbo切替スクリプト add C:\\S\\x.ugu", "Cbo切替スクリプト select 0",
           "Request=", "Reply="}},
      {2, {"Request=", "Reply=", "Cbo切替スクリプト clear"}},
      {3, {"Request=", "Reply="}},  // past the notes, or none: the script list stays
      {-1, {"Request=", "Reply="}},
  };
  for (const auto& row : rows) {
    f.view.selected[0] = row.note;
    EXPECT_EQ(f.Run(Cbo切替対象_Click, f.app), row.log) << row.note;
  }
  EXPECT_EQ(f.Run(Cbo切替スクリプト_Click, f.app), (Log{"Request=", "Reply="}));
  f.files.files.clear();  // a missing file leaves the table, and the lists show it again
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), reloaded);
  f.files.Add(u"C:\\Z\\USERS\\u\\memo.ini", "4_ETag=E4\r\n");
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), kNoNote);
}

TEST(Handlers, StartupSettingsDecideWhetherTheProgramRuns) {
  const Log runs = {"Cbo切替対象 clear", "Cbo切替対象 add E1", "Cbo切替対象 select 0", "Request=", "Reply=", "Cbo切替スクリプト clear"};
  const std::string one = "1_ScriptEnableDscpServer=true\r\n1_ETag=E1\r\n";
  const struct { Text root, user, memoAt; std::string memo; bool runs; Log log; } rows[] = {
      {u"", u"u", u"\\USERS\\u\\memo.ini", one, false, {Message(expected::kNotInstalled)}},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\v\\memo.ini", one, false, {Message(expected::kNotInstalled)}},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", "1_ETag=E1\r\n", false, kNoNote},
      {u"C:\\Z\\", u" u ", u"C:\\Z\\\\USERS\\ u \\memo.ini", one, true, runs},  // joined as they stand
  };
  for (const auto& row : rows) {
    Rig f(row.memoAt, row.memo);
    f.root = row.root;
    f.user = row.user;
    EXPECT_EQ(LoadStartupSettings(f.app, f), row.runs) << fakes::U8(row.memoAt);
    EXPECT_EQ(f.view.log, row.log) << fakes::U8(row.memoAt);
  }
}

// The log of a load: buttons off, then `middle`, then buttons on.
Log Load(const Log& middle) {
  Log log = {"Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off"};
  log.insert(log.end(), middle.begin(), middle.end());
  for (const char* button : {"Cmd切替 on", "Cmd再読み込み on", "Cmd終了 on"}) log.push_back(button);
  return log;
}
// Shown, sent in code page 932 (新しい is 90 56 82 B5 82 A2) and answered.
Log Sent(const std::string& path, const std::string& bytes) {
  return {"Request=LOAD DSCP/1.3\r\nTargetETag: 付箋1\r\nScript: " + path + "\r\n\r\n", "Reply=", "busy",
          "send 127.0.0.1 LOAD DSCP/1.3\r\nTargetETag: \x95\x74\xE2\xB3" "1\r\nScript: " + bytes + "\r\n\r\n", "idle",
          "Reply=DSCP/1.3 200 OK"};
}
const Log kSwitched = Sent("C:\\S\\a b\\ソフト表.ugu", "C:\\S\\a b\\\x83\x5C\x83\x74\x83\x67\x95\x5C.ugu");

TEST(Loads, Switch) {
  EXPECT_EQ(Rig(1, 0, 0).Switch(), Load(kSwitched));
  EXPECT_EQ(Rig(0, 0, 0).Switch(), Log{Message(expected::kZMemoNotRunning)});
  EXPECT_EQ(Rig(1, 0, 1).Switch(), Load({Message(expected::kPackageMalformed, "C:\\S\\bad.ugu")}));
  EXPECT_EQ(Rig(1, 0, 2).Switch(), Load({Message(expected::kPackageNotFound, "C:\\S\\gone.psn")}));
  // A result the package check never gives still has its message.
  EXPECT_EQ(Message(fakes::U8(PackageOutcomeMessage(1, u"x"))), Message(expected::kUnexpectedPackageResult, "x"));
  for (const auto& [note, script] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 5}, {2, 0}})
    EXPECT_EQ(Rig(1, note, script).Switch(), Load({})) << note << "," << script;
}

TEST(Loads, Drop) {
  const Text psn = u"C:\\新しい\\abc.psn";
  Rig rig(1, 0);
  EXPECT_EQ(rig.Drop({psn}), Load(Sent(fakes::U8(psn), "C:\\\x90\x56\x82\xB5\x82\xA2\\abc.psn")));
  EXPECT_EQ(rig.Switch(), Load(kSwitched));  // a drop leaves the history and its choice alone
  rig.running = 0;
  rig.view.buttons[0] = false;  // a load is under way: not even ZMemo is looked for
  EXPECT_EQ(rig.Drop({psn}), Log{});
  EXPECT_EQ(Rig(0, -1).Drop({psn, psn}), Log{Message(expected::kZMemoNotRunning)});  // before the note and the count
  EXPECT_EQ(Rig(1, -1).Drop({psn, psn}), Log{});
  EXPECT_EQ(Rig(1, 3).Drop({psn}), Log{});
  EXPECT_EQ(Rig(1, 0).Drop({u"C:\\S\\none.ugu"}), Load({Message(expected::kPackageNotFound, "C:\\S\\none.ugu")}));
}

TEST(Loads, SenderRepliesAndResults) {
  const std::string full(fakes::kLibraryReplyBuffer, 'x'), send = "send 127.0.0.1 LOAD\r\n";
  Rig f;
  f.state.strSendText = u"LOAD\r\n";
  EXPECT_EQ(f.SendWith(-1, "why"), (Log{"busy", send, "idle", Message(expected::kNoCommand), "Reply=why"}));
  EXPECT_EQ(f.SendWith(0, full), (Log{"busy", send, "idle", "Reply=" + full}));  // no NUL: the buffer, no further
  EXPECT_EQ(f.SendWith(1, "\x95\x5C"), (Log{"busy", send, "idle", "Reply=表"}));  // a fresh zero-filled buffer
  EXPECT_EQ(f.SendWith(-2, "a\0b"s), (Log{"busy", send, "idle", "Reply=a"}));
  f.loaded = false;
  EXPECT_EQ(f.SendWith(-1, "why"), (Log{"busy", "idle", Message(expected::kNoLibrary)}));
}

}  // namespace
}  // namespace karuvel
