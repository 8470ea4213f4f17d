// The switch, the drop and the request sender, as the view's and the library's log show them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dscp/script_switch.h"
#include "dscp/winsock01.h"
#include "fake_app.h"
#include "shell/handlers.h"
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
Log Join(std::initializer_list<Log> parts) {
  Log out;
  for (const Log& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}
const Log kOff = {"Cmd切替 off", "Cmd再読み込み off", "Cmd終了 off"};
const Log kOn = {"Cmd切替 on", "Cmd再読み込み on", "Cmd終了 on"};

// Bytes in code page 932: 付箋 95 74 E2 B3, ソフト表 83 5C 83 74 83 67 95 5C, 新しい 90 56 82 B5 82 A2.
const std::string kSwitched = "LOAD DSCP/1.3\r\nTargetETag: 付箋1\r\nScript: C:\\S\\a b\\ソフト表.ugu\r\n\r\n";
const Log kSwitchSent = {
    "Text2=" + kSwitched, "Text1=", "busy",
    "send 127.0.0.1 LOAD DSCP/1.3\r\nTargetETag: \x95\x74\xE2\xB3" "1\r\nScript: C:\\S\\a b\\\x83\x5C\x83\x74\x83\x67\x95\x5C.ugu\r\n\r\n",
    "idle", "Text1=DSCP/1.3 200 OK"};
const std::string kDropped = "LOAD DSCP/1.3\r\nTargetETag: 付箋1\r\nScript: C:\\新しい\\abc.psn\r\n\r\n";
const Log kDropSent = {
    "Text2=" + kDropped, "Text1=", "busy",
    "send 127.0.0.1 LOAD DSCP/1.3\r\nTargetETag: \x95\x74\xE2\xB3" "1\r\nScript: C:\\\x90\x56\x82\xB5\x82\xA2\\abc.psn\r\n\r\n",
    "idle", "Text1=DSCP/1.3 200 OK"};

// Note 1 holds a UGU with its data beside it, one without data and a missing PSN. PSN packages lie
// ready for drops, two of them under paths code page 932 cannot hold exactly.
struct Rig : fakes::FakeApp {
  Rig() {
    for (const char16_t* path : {u"C:\\S\\a b\\ソフト表.ugu", u"C:\\S\\a b\\ソフト表\\DAT\\mio00.euu", u"C:\\S\\broken.ugu"})
      host.files.Add(path);
    for (const char16_t* dir : {u"C:\\新しい\\", u"C:\\café\\", u"C:\\한\\"}) {
      host.files.Add(dir + Text(u"abc.psn"));
      host.files.Add(dir + Text(u"ABC\\DAT\\aya00.out"));
    }
    AddNote(u"E0", {u"C:\\X\\x.ugu"});
    AddNote(u"付箋1", {u"C:\\S\\a b\\ソフト表.ugu", u"C:\\S\\broken.ugu", u"C:\\S\\gone.psn"});
    view.selected[0] = 1;
    view.selected[1] = 0;
    host.dscp.reply = "DSCP/1.3 200 OK";
    state.strSendText = u"earlier";
  }
};

TEST(ScriptSwitch, ChoicesGiveTheirLogs) {
  const Log nothing = Join({kOff, kOn});
  const struct {
    int16_t running;
    int note, script;
    Log log;
  } rows[] = {
      {1, 1, 0, Join({kOff, kSwitchSent, kOn})},
      {0, 1, 0, {Message(expected::kZMemoNotRunning)}},
      {1, 1, 1, Join({kOff, {Message(expected::kPackageMalformed, "C:\\S\\broken.ugu")}, kOn})},
      {1, 1, 2, Join({kOff, {Message(expected::kPackageNotFound, "C:\\S\\gone.psn")}, kOn})},
      {1, -1, 0, nothing}, {1, 2, 0, nothing}, {1, 1, -1, nothing}, {1, 1, 3, nothing}, {1, 0, 1, nothing},
  };
  for (const auto& row : rows) {
    Rig rig;
    rig.host.running = row.running;
    rig.view.selected[0] = row.note;
    rig.view.selected[1] = row.script;
    Cmd切替_Click(rig.load);
    EXPECT_EQ(rig.view.log, row.log) << row.note << "," << row.script;
    EXPECT_EQ(fakes::U8(rig.state.strSendText), &row == rows ? kSwitched : "earlier");
  }
}

TEST(DropRegistration, DropsGiveTheirLogs) {
  const std::string psn = "C:\\新しい\\abc.psn";
  const auto refused = [](const char* message, const std::string& path) {
    return Join({kOff, {Message(message, path)}, kOn});
  };
  const struct {
    int16_t running;
    int note;
    bool switchOn;
    std::vector<std::string> files;
    Log log;
  } rows[] = {
      {1, 1, true, {psn}, Join({kOff, kDropSent, kOn})},
      {0, -1, true, {psn, psn}, {Message(expected::kZMemoNotRunning)}},
      {0, 1, false, {psn}, {}},  // a load is under way
      {1, -1, true, {psn, psn}, {}},
      {1, 2, true, {psn}, {}},
      {1, 1, true, {psn, psn}, {Message(expected::kSeveralFiles)}},
      {1, 1, true, {}, Join({kOff, kOn})},
      {1, 1, true, {"C:\\S\\broken.ugu"}, refused(expected::kPackageMalformed, "C:\\S\\broken.ugu")},
      {1, 1, true, {"C:\\S\\none.ugu"}, refused(expected::kPackageNotFound, "C:\\S\\none.ugu")},
      {1, 1, true, {"C:\\café\\abc.psn"}, refused(expected::kPackageRefused, "C:\\café\\abc.psn")},  // best fit: e
      {1, 1, true, {"C:\\한\\abc.psn"}, refused(expected::kPackageRefused, "C:\\한\\abc.psn")},
  };
  for (const auto& row : rows) {
    Rig rig;
    rig.host.running = row.running;
    rig.view.selected[0] = row.note;
    rig.view.buttons[0] = row.switchOn;
    DropData data;
    for (const std::string& file : row.files) data.files.push_back(Utf8ToText(file));
    Form_OLEDragDrop(rig.app, data);
    EXPECT_EQ(rig.view.log, row.log) << &row - rows;
    EXPECT_EQ(fakes::U8(rig.state.strSendText), &row == rows ? kDropped : "earlier");
  }
  // The drop leaves the history alone: 切替 then loads the chosen script.
  Rig rig;
  Form_OLEDragDrop(rig.app, DropData{{Utf8ToText(psn)}});
  rig.view.log.clear();
  Cmd切替_Click(rig.load);
  EXPECT_EQ(rig.view.log, Join({kOff, kSwitchSent, kOn}));
}

TEST(DscpSender, RepliesAndResults) {
  const std::string full(kReplyBufferSize, 'x');
  const std::string send = "send 127.0.0.1 LOAD\r\n";
  const struct {
    bool loaded;
    int32_t result;
    std::string reply;
    Log log;
  } rows[] = {
      {true, -1, "why", {"busy", send, "idle", Message(expected::kNoCommand), "Text1=why"}},
      {true, 0, "a\0b"s, {"busy", send, "idle", "Text1=a"}},
      {true, -2, "\x95\x5C", {"busy", send, "idle", "Text1=表"}},
      {true, 1, full, {"busy", send, "idle", "Text1=" + full}},  // no NUL: the buffer and no further
      {false, -1, "why", {"busy", "idle", Message(expected::kNoLibrary)}},
  };
  for (const auto& row : rows) {
    fakes::FakeApp f;
    f.state.strSendText = u"LOAD\r\n";
    f.host.dscp.loaded = row.loaded;
    f.host.dscp.result = row.result;
    f.host.dscp.reply = row.reply;
    SendDscpRequest(f.load);
    EXPECT_EQ(f.view.log, row.log) << row.result;
  }
  // Every send gets a fresh zero-filled buffer: no byte of the longer reply before it shows.
  fakes::FakeApp f;
  f.host.dscp.reply = "zzz";
  SendDscpRequest(f.load);
  f.host.dscp.reply = "a";
  SendDscpRequest(f.load);
  EXPECT_EQ(f.view.log.back(), "Text1=a");
}

}  // namespace
}  // namespace karuvel
