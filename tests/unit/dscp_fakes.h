// In-memory window, host services, file system and DSCP library for the DSCP loading tests.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "shell/app.h"

namespace karuvel::dscp_test {

inline std::string U8(const Text& text) { return TextToUtf8(text); }

// Records every change as one line of an event log, so tests can check order as well as state.
class FakeView : public MainView {
 public:
  void ListClear(List) override {}
  void ListAdd(List, const Text&) override {}
  void ListSetSelected(List list, int index) override { selected[static_cast<int>(list)] = index; }
  int ListSelected(List list) const override {
    ++listReads[static_cast<int>(list)];
    return selected[static_cast<int>(list)];
  }
  void SetText(TextBox box, const Text& text) override {
    texts[static_cast<int>(box)] = text;
    log.push_back(std::string(box == TextBox::Reply ? "Text1=" : "Text2=") + U8(text));
  }
  void SetTextEnabled(TextBox, bool) override {}
  void SetButtonEnabled(Button button, bool enabled) override {
    buttons[static_cast<int>(button)] = enabled;
    log.push_back(std::string(Name(button)) + (enabled ? " on" : " off"));
  }
  bool IsButtonEnabled(Button button) const override { return buttons[static_cast<int>(button)]; }
  int OuterHeightTwips() const override { return 2925; }
  void SetOuterHeightTwips(int) override {}
  void ShowMessage(const Text& text) override { log.push_back("message " + U8(text)); }
  void SetBusy(bool busy) override {
    this->busy = busy;
    log.push_back(busy ? "busy" : "idle");
  }

  Text Reply() const { return texts[0]; }
  Text Request() const { return texts[1]; }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const std::string& line : log)
      if (line.rfind("message ", 0) == 0) out.push_back(line.substr(8));
    return out;
  }
  static const char* Name(Button b) {
    switch (b) {
      case Button::Switch: return "Cmd切替";
      case Button::Reload: return "Cmd再読み込み";
      case Button::Details: return "Cmd詳細";
      case Button::Exit: return "Cmd終了";
    }
    return "?";
  }

  int selected[2] = {-1, -1};
  mutable int listReads[2] = {0, 0};
  Text texts[2];
  bool buttons[4] = {true, true, true, true};
  bool busy = false;
  std::vector<std::string> log;
};

// Ordinary files by exact path.
class FakeFiles : public FileSystem {
 public:
  bool IsOrdinaryFile(TextView path) const override { return files.count(Text(path)) != 0; }
  std::unique_ptr<ByteStream> OpenRead(TextView) const override { return nullptr; }
  std::set<Text> files;
};

// Answers with `reply` (bytes, copied as they are) and `result`; records what it was handed.
class FakeDscp : public DscpLibrary {
 public:
  bool Send(const char* host, const char* request, char* reply, int32_t& result) override {
    ++calls;
    if (!loaded) return false;
    hosts.push_back(host);
    requests.push_back(request);
    bufferWasZero = true;
    for (size_t i = 0; i < kReplyBufferSize; ++i) bufferWasZero = bufferWasZero && reply[i] == '\0';
    if (onSend) onSend();
    std::memcpy(reply, this->reply.data(), std::min(this->reply.size(), kReplyBufferSize));
    result = this->result;
    return true;
  }
  bool loaded = true;
  std::string reply;
  int32_t result = 0;
  std::function<void()> onSend;
  int calls = 0;
  bool bufferWasZero = false;
  std::vector<std::string> hosts, requests;
};

class FakeHost : public HostServices {
 public:
  int16_t IsZMemoRunning() override { return running; }
  const FileSystem& Files() const override { return files; }
  DscpLibrary& Dscp() override { return dscp; }
  int16_t running = 1;
  FakeFiles files;
  FakeDscp dscp;
};

// A state, window and host wired together as an App.
struct Rig {
  AppState state;
  FakeView view;
  FakeHost host;
  App app{state, view, host};

  // Adds a note with its ETag and history; returns its index.
  int AddNote(const Text& etag, const std::vector<Text>& history) {
    NoteRecord& note = state.table.Notes[static_cast<size_t>(state.table.intNoteCount)];
    note.strETag = etag;
    for (const Text& h : history) note.strHistory[static_cast<size_t>(note.intHistoryCount++)] = h;
    return state.table.intNoteCount++;
  }
};

}  // namespace karuvel::dscp_test
