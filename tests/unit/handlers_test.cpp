// What a user sees after each of the window's handlers, and what reaches the DSCP library: the lists,
// start-up, the switch, the drop and the request sender.
#include "shell/handlers.h"

#include <gtest/gtest.h>

#include <array>

#include "dscp/script_switch.h"
#include "dscp/request_sender.h"
#include "fake_app.h"
#include "tests/expected_messages.h"

namespace karuvel {
namespace {

using namespace std::string_literals;
using Log = std::vector<std::string>;

// A message as the window shows it, its path filled in.
std::string Message(std::string text, const std::string& path = "") {
  if (const size_t at = text.find("{path}"); at != std::string::npos) text.replace(at, 6, path);
  return "message " + text;
}
const std::string kOld = "Request=old Reply=old", kWait = " wait Cmd切替 off Cmd再読み込み off Cmd終了 off";

// chc_dscp.dll's contract: the caller hands in 20000 zero-filled bytes. The library writes the reply
// as NUL-terminated text in it, so at most 19999 bytes; one that fills all 20000 and leaves no NUL
// breaks that, and the caller reads such a reply to the buffer's end and no further. A library made
// for a caller that passed a string of 20000 characters writes its NUL one byte past them.
constexpr std::size_t kLibraryReplyBuffer = 20000, kLibraryWritesAtMost = kLibraryReplyBuffer + 1;

// Notes 4, 1 and 9 enabled in that order, note 2 not. Note 4, "付箋1", holds a package with its data
// beside it, one without data, a missing one, and a current script matched exactly. Note 1 has its
// current script only, note 9 no history. Bytes in code page 932: 付箋 95 74 E2 B3, ソフト表 83 5C 83 74 83 67 95 5C.
const char kMemo[] =
    "[Memo]\r\n4_ScriptEnableDscpServer=true\r\n4_ETag=\x95\x74\xE2\xB3" "1\r\n"
    "4_WatermarkHistory-0=C:\\S\\a b\\\x83\x5C\x83\x74\x83\x67\x95\x5C.ugu\r\n"
    "4_WatermarkHistory-=C:\\S\\bad.ugu\r\n4_WatermarkHistory-=C:\\S\\gone.psn\r\n4_WatermarkHistory-=C:\\S\\C.ugu\r\n"
    "4_ScriptFileName=C:\\S\\c.ugu\r\n1_ScriptEnableDscpServer=TRUE\r\n1_ScriptFileName=C:\\S\\x.ugu\r\n"
    "1_ETag=E1\r\n9_ScriptEnableDscpServer=true\r\n9_ETag=E9\r\n2_ETag=E2\r\n";

// The window, the machine and the DSCP library in memory, wired as the program wires the real ones,
// with the user's memo.ini and packages for a switch or a drop. The window keeps what a user sees of
// it; the library answers with `reply` (bytes as they are, no NUL added) and `result`.
struct Rig : MainView, HostServices, DscpLibrary, StartupServices {
  std::string items[2], text[2];  // the lists, each entry followed by "|"; the reply box, the request box
  int selected[2] = {-1, -1};
  bool buttons[4] = {true, true, true, true}, busy = false, loaded = true;
  Log shown;  // the messages shown and the requests sent, in order, each with Controls() as it stood
  int16_t running = 1;
  std::string reply = "DSCP/1.3 200 OK";
  int32_t result = 0;
  Text root, user;
  fakes::FakeFileSystem files;
  VirtualStore store;
  AppState state;
  App app{state, *this, *this};
  LoadContext load{app.Loading()};  // what a switch or a drop works on

  explicit Rig(const Text& memoAt = u"C:\\Z\\USERS\\u\\memo.ini", const std::string& memo = kMemo) {
    state.strUserDir = u"C:\\Z\\USERS\\u\\";
    files.Add(memoAt, memo);
    for (const char16_t* path : {u"C:\\S\\a b\\ソフト表.ugu", u"C:\\S\\a b\\ソフト表\\DAT\\mio00.euu", u"C:\\S\\bad.ugu",
                                 u"C:\\新しい\\abc.psn", u"C:\\新しい\\ABC\\DAT\\aya00.out"})
      files.Add(path);
  }
  // After a reload: ZMemo running or not, a note and a script chosen, the library there or not.
  Rig(int16_t zmemo, int note, int script = 0, bool library = true) : Rig() {
    Cmd再読み込み_Click(app);
    running = zmemo, loaded = library;
    selected[0] = note, selected[1] = script;
    state.table.Notes[3] = state.table.Notes[0];  // left past the notes by an earlier, longer table
  }
  void ListClear(List l) override { items[I(l)].clear(), selected[I(l)] = -1; }
  void ListAdd(List l, const Text& item) override { items[I(l)] += fakes::U8(item) + "|"; }
  void ListSetSelected(List l, int i) override { selected[I(l)] = i; }
  int ListSelected(List l) const override { return selected[I(l)]; }
  void SetText(TextBox b, const Text& t) override { text[I(b)] = fakes::U8(t); }
  void SetTextEnabled(TextBox, bool) override {}
  void SetButtonEnabled(Button b, bool on) override { buttons[I(b)] = on; }
  bool IsButtonEnabled(Button b) const override { return buttons[I(b)]; }
  int OuterHeightTwips() const override { return 0; }
  void SetOuterHeightTwips(int) override {}
  void ShowMessage(const Text& t) override { shown.push_back("message " + fakes::U8(t) + Controls()); }
  void SetBusy(bool on) override { busy = on; }
  void ShowNow() override { shown.push_back("painted Request=" + text[1] + " Reply=" + text[0] + Controls()); }
  const VirtualStore& Store() override { return store; }
  int16_t IsZMemoRunning() override { return running; }
  const FileSystem& Files() const override { return files; }
  DscpLibrary& Dscp() override { return *this; }
  bool Send(const char* host, const char* request, char* buffer, int32_t& resultOut) override {
    if (!loaded) return false;
    shown.push_back(std::string("send ") + host + " " + request + Controls());
    std::memcpy(buffer, reply.data(), std::min(reply.size(), kLibraryWritesAtMost));
    resultOut = result;
    return true;
  }
  Text InstallRoot() override { return root; }
  Text CurrentUserName() override { return user; }

  template <typename E>
  static int I(E e) { return static_cast<int>(e); }
  // The wait cursor and the buttons that are off; nothing in a window at rest.
  std::string Controls() const {
    std::string out = busy ? " wait" : "";
    for (int b : {0, 1, 2, 3})
      if (!buttons[b]) out += " "s + std::array{"Cmd切替", "Cmd再読み込み", "Cmd詳細", "Cmd終了"}[b] + " off";
    return out;
  }
  std::string Lists() const {
    return items[0] + "@" + std::to_string(selected[0]) + " " + items[1] + "@" + std::to_string(selected[1]);
  }
  // Runs a handler with "old" in both boxes. Gives the lists when it changed them, then the boxes and
  // Controls() after it, then `shown`.
  template <typename Handler, typename... Args>
  Log Run(Handler handler, Args&&... args) {
    const std::string lists = Lists();
    text[0] = text[1] = "old", shown.clear();
    handler(std::forward<Args>(args)...);
    shown.insert(shown.begin(), "Request=" + text[1] + " Reply=" + text[0] + Controls());
    if (Lists() != lists) shown.insert(shown.begin(), Lists());
    return shown;
  }
  Log Switch() { return Run(Cmd切替_Click, load); }
  Log Drop(const std::vector<Text>& paths) { return Run(Form_OLEDragDrop, app, DropData{paths}); }
  Log SendWith(int32_t code, std::string bytes) { result = code, reply = bytes; return Run(SendDscpRequest, load); }
};

TEST(Handlers, ReloadAndChoices) {
  const std::string loaded = "付箋1|E1|E9|@0 C:\\S\\a b\\ソフト表.ugu|C:\\S\\bad.ugu|C:\\S\\gone.psn|C:\\S\\C.ugu|C:\\S\\c.ugu|@4";
  const std::string emptied = "Request= Reply=";
  Rig f;
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), (Log{loaded, emptied}));
  const struct { int note; Log seen; } rows[] = {
      {3, {emptied}}, {-1, {emptied}},  // past the notes, or none: the script list stays
      {1, {"付箋1|E1|E9|@1 C:\\S\\x.ugu|@0", emptied}}, {2, {"付箋1|E1|E9|@2 @-1", emptied}}};
  for (const auto& row : rows) {
    f.selected[0] = row.note;
    EXPECT_EQ(f.Run(Cbo切替対象_Click, f.app), row.seen) << row.note;
  }
  EXPECT_EQ(f.Run(Cbo切替スクリプト_Click, f.app), Log{emptied});
  f.files.files.clear();  // a missing file leaves the table, and the lists show it again
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), (Log{loaded, emptied}));
  f.files.Add(u"C:\\Z\\USERS\\u\\memo.ini", "4_ETag=E4\r\n");
  EXPECT_EQ(f.Run(Cmd再読み込み_Click, f.app), (Log{"@-1 @-1", kOld, Message(expected::kNoSwitchableNote)}));
}

TEST(Handlers, StartupSettingsDecideWhetherTheProgramRuns) {
  const std::string one = "1_ScriptEnableDscpServer=true\r\n1_ETag=E1\r\n";
  const Log notInstalled = {kOld, Message(expected::kNotInstalled)};
  const struct { Text root, user, memoAt; std::string memo; bool runs; Log seen; } rows[] = {
      {u"", u"u", u"\\USERS\\u\\memo.ini", one, false, notInstalled},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\v\\memo.ini", one, false, notInstalled},
      {u"C:\\Z", u"u", u"C:\\Z\\USERS\\u\\memo.ini", "1_ETag=E1\r\n", false, {kOld, Message(expected::kNoSwitchableNote)}},
      {u"C:\\Z\\", u" u ", u"C:\\Z\\\\USERS\\ u \\memo.ini", one, true, {"E1|@0 @-1", "Request= Reply="}},  // joined as they stand
  };
  for (const auto& row : rows) {
    Rig f(row.memoAt, row.memo);
    f.root = row.root, f.user = row.user;
    bool runs = !row.runs;
    EXPECT_EQ(f.Run([&] { runs = LoadStartupSettings(f.app, f); }), row.seen) << fakes::U8(row.memoAt);
    EXPECT_EQ(runs, row.runs) << fakes::U8(row.memoAt);
  }
}

// The request for note 付箋1 and `path` shown, sent in code page 932 as `bytes` (新しい is 90 56 82 B5 82 A2)
// with the wait cursor up and the buttons off, and answered; without the library, the reply box emptied
// and the message shown.
Log Sent(const std::string& path, const std::string& bytes, bool library = true) {
  const std::string shown = "Request=LOAD DSCP/1.3\r\nTargetETag: 付箋1\r\nScript: " + path + "\r\n\r\n Reply=";
  if (!library) return {shown, "painted " + shown + kWait, Message(expected::kNoLibrary) + kWait};
  return {shown + "DSCP/1.3 200 OK", "painted " + shown + kWait,
          "send 127.0.0.1 LOAD DSCP/1.3\r\nTargetETag: \x95\x74\xE2\xB3" "1\r\nScript: " + bytes + "\r\n\r\n" + kWait};
}

TEST(Loads, Switch) {
  for (bool library : {true, false})
    EXPECT_EQ(Rig(1, 0, 0, library).Switch(),
              Sent("C:\\S\\a b\\ソフト表.ugu", "C:\\S\\a b\\\x83\x5C\x83\x74\x83\x67\x95\x5C.ugu", library));
  EXPECT_EQ(Rig(1, 0, 1).Switch(), (Log{kOld, Message(expected::kPackageMalformed, "C:\\S\\bad.ugu") + kWait}));
  EXPECT_EQ(Rig(1, 0, 2).Switch(), (Log{kOld, Message(expected::kPackageNotFound, "C:\\S\\gone.psn") + kWait}));
  // A result the package check never gives still has its message.
  EXPECT_EQ(Message(fakes::U8(PackageOutcomeMessage(1, u"x"))), Message(expected::kUnexpectedPackageResult, "x"));
  for (const auto& [note, script] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 5}, {2, 0}})
    EXPECT_EQ(Rig(1, note, script).Switch(), Log{kOld}) << note << "," << script;
}

TEST(Loads, Drop) {
  const Text psn = u"C:\\新しい\\abc.psn";
  Rig rig(1, 0);
  // A drop leaves the history and its choice alone.
  EXPECT_EQ(rig.Drop({psn}), Sent(fakes::U8(psn), "C:\\\x90\x56\x82\xB5\x82\xA2\\abc.psn"));
  rig.running = 0;
  rig.buttons[0] = false;  // a load is under way: not even ZMemo is looked for
  EXPECT_EQ(rig.Drop({psn}), Log{kOld + " Cmd切替 off"});
  EXPECT_EQ(Rig(0, -1).Drop({psn, psn}), (Log{kOld, Message(expected::kZMemoNotRunning)}));  // before the note and the count
  EXPECT_EQ(Rig(1, -1).Drop({psn, psn}), Log{kOld});
  EXPECT_EQ(Rig(1, 3).Drop({psn}), Log{kOld});
  EXPECT_EQ(Rig(1, 0).Drop({u"C:\\S\\none.ugu"}), (Log{kOld, Message(expected::kPackageNotFound, "C:\\S\\none.ugu") + kWait}));
  // Not in the ANSI code page: ZMemo would get another path.
  EXPECT_EQ(Rig(1, 0).Drop({u"C:\\S\\한.ugu"}), (Log{kOld, Message(expected::kPackageRefused, "C:\\S\\한.ugu") + kWait}));
}

TEST(Loads, SenderRepliesAndResults) {
  const std::string full(kLibraryReplyBuffer, 'x'), send = "send 127.0.0.1 LOAD\r\n", painted = "painted " + kOld;
  Rig f;
  f.state.strSendText = u"LOAD\r\n";
  EXPECT_EQ(f.SendWith(-1, "why"), (Log{"Request=old Reply=why", painted, send, Message(expected::kNoCommand)}));
  // No NUL in the buffer: the buffer, and not what the library wrote past it.
  EXPECT_EQ(f.SendWith(0, full + "y"), (Log{"Request=old Reply=" + full, painted, send}));
  EXPECT_EQ(f.SendWith(1, "\x95\x5C"), (Log{"Request=old Reply=表", painted, send}));  // a fresh zero-filled buffer
  EXPECT_EQ(f.SendWith(-2, "a\0b"s), (Log{"Request=old Reply=a", painted, send}));
}

}  // namespace
}  // namespace karuvel
