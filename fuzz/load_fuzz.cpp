// A switch or a drop with arbitrary notes, paths, choices and library replies (up to a full
// 20000-byte buffer with no NUL): the load buttons always end enabled, at most one request goes
// out and only for a running ZMemo and a sound package, the request has the fixed layout, and the
// reply shown is the buffer up to its first NUL.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/ansi.h"
#include "dscp/drop_registration.h"
#include "dscp/script_switch.h"
#include "fuzz/fuzz_check.h"
#include "packages/script_package.h"
#include "tests/unit/fake_app.h"

namespace karuvel {
namespace {

// A path: mostly one of a few package shapes with fuzzed names, sometimes any UTF-16 text.
Text FuzzedPath(FuzzedDataProvider& input) {
  const std::string raw = input.ConsumeRandomLengthString(40);
  if (input.ConsumeBool()) {
    Text text(raw.size() / 2, u'\0');
    std::memcpy(text.data(), raw.data(), text.size() * 2);
    return text;
  }
  static const char16_t* const kinds[] = {u".ugu", u".psn", u".UGU", u".txt", u""};
  return u"C:\\S\\" + AnsiToText(raw) + kinds[input.ConsumeIntegralInRange<size_t>(0, 4)];
}

// Puts some of the files a package check may look for into the fake file system.
void AddSomeFiles(FuzzedDataProvider& input, fakes::FakeFileSystem& files, const Text& path) {
  const Text dir = GetDirectoryPart(path);
  const Text base = GetScriptBaseName(path);
  const Text candidates[] = {path, dir + base + u"\\DAT\\mio00.euu", dir + u"DAT\\mio00.euu",
                             dir + base + u"\\DAT\\aya00.out"};
  for (const Text& candidate : candidates)
    if (input.ConsumeBool()) files.Add(candidate);
}

}  // namespace
}  // namespace karuvel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace karuvel;
  FuzzedDataProvider input(data, size);
  fakes::FakeApp a;

  const int notes = input.ConsumeIntegralInRange(0, 3);
  for (int n = 0; n < notes; ++n) {
    std::vector<Text> history;
    const int scripts = input.ConsumeIntegralInRange(0, 3);
    for (int s = 0; s < scripts; ++s) {
      history.push_back(FuzzedPath(input));
      AddSomeFiles(input, a.host.files, history.back());
    }
    a.AddNote(AnsiToText(input.ConsumeRandomLengthString(16)), history);
  }
  a.host.running = input.ConsumeBool() ? 1 : 0;
  const int noteIndex = input.ConsumeIntegralInRange(-2, notes + 1);
  const int scriptIndex = input.ConsumeIntegralInRange(-2, 4);
  a.view.Choose(List::Target, noteIndex);
  a.view.Choose(List::Script, scriptIndex);
  const bool drop = input.ConsumeBool();
  const bool switchWasEnabled = !drop || input.ConsumeIntegralInRange(0, 9) != 0;
  a.view.buttons[static_cast<int>(Button::Switch)] = switchWasEnabled;
  DropData dropped;
  if (drop) {
    const int files = input.ConsumeIntegralInRange(0, 3);
    for (int f = 0; f < files; ++f) {
      dropped.files.push_back(FuzzedPath(input));
      AddSomeFiles(input, a.host.files, dropped.files.back());
    }
  }
  const int32_t results[] = {0, -1, 1, -5};
  a.host.dscp.result = results[input.ConsumeIntegralInRange(0, 3)];
  a.host.dscp.reply = input.ConsumeBool() ? std::string(kReplyBufferSize, 'r')  // no NUL left
                                          : input.ConsumeRemainingBytesAsString();
  a.state.strSendText = u"request before";
  a.view.Request() = u"request before";
  a.view.Reply() = u"reply before";

  // What should happen, from the rules.
  const bool validNote = noteIndex >= 0 && noteIndex < a.state.table.intNoteCount;
  Text path;
  bool sends = false;
  if (drop) {
    sends = switchWasEnabled && a.host.running && validNote && dropped.files.size() == 1;
    if (sends) path = dropped.files[0];
    sends = sends && IsAnsiRepresentable(path) && CheckScriptPackage(path, a.host.files) == PackageOk;
  } else {
    const NoteRecord* note = validNote ? &a.state.table.Notes[static_cast<size_t>(noteIndex)] : nullptr;
    sends = a.host.running && note && scriptIndex >= 0 && scriptIndex < note->intHistoryCount;
    if (sends) path = note->strHistory[static_cast<size_t>(scriptIndex)];
    sends = sends && CheckScriptPackage(path, a.host.files) == PackageOk;
  }

  if (drop) {
    uint32_t effect = 1;
    RegisterDroppedScript(a.app, dropped, effect, 1, 0, 10.0f, 20.0f);
    FUZZ_CHECK(effect == 1);
  } else {
    Cmd切替_Click(a.app);
  }

  const bool loadButtonsOn = a.view.IsButtonEnabled(Button::Switch) && a.view.IsButtonEnabled(Button::Reload) &&
                             a.view.IsButtonEnabled(Button::Exit);
  FUZZ_CHECK(loadButtonsOn == switchWasEnabled);
  FUZZ_CHECK(!a.view.busy);
  FUZZ_CHECK(a.host.dscp.calls == (sends ? 1 : 0));
  FUZZ_CHECK(a.view.messages.size() <= 1);
  if (!a.host.running && switchWasEnabled)
    FUZZ_CHECK(a.view.messages.size() == 1 && a.view.messages[0] == kZMemoNotRunning);
  if (!sends) {
    FUZZ_CHECK(a.state.strSendText == u"request before");
    FUZZ_CHECK(a.view.Request() == u"request before" && a.view.Reply() == u"reply before");
    return 0;
  }
  const Text request = BuildLoadRequest(a.state.table.Notes[static_cast<size_t>(noteIndex)].strETag, path);
  FUZZ_CHECK(request == u"LOAD DSCP/1.3\r\nTargetETag: " + a.state.table.Notes[static_cast<size_t>(noteIndex)].strETag +
                           u"\r\nScript: " + path + u"\r\n\r\n");
  FUZZ_CHECK(a.state.strSendText == request);
  FUZZ_CHECK(a.view.Request() == request);
  FUZZ_CHECK(a.host.dscp.requests.size() == 1 && a.host.dscp.requests[0] == TextToAnsi(request).c_str());
  FUZZ_CHECK(a.host.dscp.hosts[0] == "127.0.0.1" && a.host.dscp.bufferWasZero);
  // The reply is the buffer up to its first NUL, the whole buffer when the library left none.
  const std::string& reply = a.host.dscp.reply;
  const size_t shown = std::min({reply.find('\0'), reply.size(), kReplyBufferSize});
  FUZZ_CHECK(a.state.strReceiveText == AnsiToText(reply.substr(0, shown)));
  FUZZ_CHECK(a.view.Reply() == a.state.strReceiveText);
  const bool noCommand = a.host.dscp.result == -1;
  FUZZ_CHECK(a.view.messages.size() == (noCommand ? 1u : 0u));
  if (noCommand) FUZZ_CHECK(a.view.messages[0] == u"コマンドが指定されていません。");
  return 0;
}
