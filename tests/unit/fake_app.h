// In-memory window, file system, DSCP library and host services for the handler tests. The view
// writes every change to one event log, so a test can check the order of effects as well as state.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "shell/app.h"

namespace karuvel::fakes {

inline std::string U8(const Text& text) { return TextToUtf8(text); }

// Log lines: "<control> clear|add <item>|select <n>", "Text1=<text>", "<control> on|off",
// "height <twips>", "message <text>", "busy", "idle".
class FakeView : public MainView {
 public:
  std::vector<Text> lists[2];
  int selected[2] = {-1, -1};
  mutable int listReads[2] = {0, 0};
  Text texts[2];
  bool textEnabled[2] = {true, true};
  bool buttons[4] = {true, true, true, true};
  int heightTwips = 0;
  bool busy = false;
  std::vector<Text> messages;
  std::vector<std::string> log;

  // Test set-up: a choice already made, with no event and no check against the entries.
  void Choose(List list, int index) { selected[I(list)] = index; }

  std::vector<Text>& Entries(List list) { return lists[I(list)]; }
  Text& Reply() { return texts[I(TextBox::Reply)]; }
  Text& Request() { return texts[I(TextBox::Request)]; }

  void ListClear(List list) override {
    lists[I(list)].clear();
    selected[I(list)] = -1;
    log.push_back(Name(list) + " clear");
  }
  void ListAdd(List list, const Text& item) override {
    lists[I(list)].push_back(item);
    log.push_back(Name(list) + " add " + U8(item));
  }
  void ListSetSelected(List list, int index) override {
    // As a drop-down list does: a position outside the entries chooses nothing.
    const int size = static_cast<int>(lists[I(list)].size());
    selected[I(list)] = (index >= 0 && index < size) ? index : -1;
    log.push_back(Name(list) + " select " + std::to_string(index));
  }
  int ListSelected(List list) const override {
    ++listReads[I(list)];
    return selected[I(list)];
  }

  void SetText(TextBox box, const Text& text) override {
    texts[I(box)] = text;
    log.push_back(Name(box) + "=" + U8(text));
  }
  void SetTextEnabled(TextBox box, bool enabled) override {
    textEnabled[I(box)] = enabled;
    log.push_back(Name(box) + (enabled ? " on" : " off"));
  }
  void SetButtonEnabled(Button button, bool enabled) override {
    buttons[I(button)] = enabled;
    log.push_back(Name(button) + (enabled ? " on" : " off"));
  }
  bool IsButtonEnabled(Button button) const override { return buttons[I(button)]; }

  int OuterHeightTwips() const override { return heightTwips; }
  void SetOuterHeightTwips(int twips) override {
    heightTwips = twips;
    log.push_back("height " + std::to_string(twips));
  }
  void ShowMessage(const Text& text) override {
    messages.push_back(text);
    log.push_back("message " + U8(text));
  }
  void SetBusy(bool on) override {
    busy = on;
    log.push_back(on ? "busy" : "idle");
  }

 private:
  template <typename E>
  static int I(E e) { return static_cast<int>(e); }
  static std::string Name(List list) { return list == List::Target ? "Cbo切替対象" : "Cbo切替スクリプト"; }
  static std::string Name(TextBox box) { return box == TextBox::Reply ? "Text1" : "Text2"; }
  static std::string Name(Button b) {
    switch (b) {
      case Button::Switch: return "Cmd切替";
      case Button::Reload: return "Cmd再読み込み";
      case Button::Details: return "Cmd詳細";
      case Button::Exit: return "Cmd終了";
    }
    return "?";
  }
};

// Ordinary files held in memory by exact path (no case folding). It records every path asked
// about, in order, and can be told to fail reads.
class FakeFileSystem : public FileSystem {
 public:
  std::map<Text, std::string> files;
  mutable std::vector<Text> asked;
  int refusedOpen = 0;     // the n-th open (1-based) finds the file but returns null; 0: none
  int failingOpen = 0;     // the n-th open (1-based) gives a stream that fails; 0: none
  size_t failAfter = 0;    // bytes that stream delivers before failing
  size_t step = 64 * 1024; // most bytes per Read
  mutable int opens = 0;

  void Add(const Text& path, std::string bytes = {}) { files[path] = std::move(bytes); }

  bool IsOrdinaryFile(TextView path) const override {
    asked.emplace_back(path);
    return files.count(Text(path)) != 0;
  }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    const auto it = files.find(Text(path));
    if (it == files.end() || ++opens == refusedOpen) return nullptr;
    return std::make_unique<Stream>(*this, it->second, opens == failingOpen);
  }

 private:
  class Stream : public ByteStream {
   public:
    Stream(const FakeFileSystem& fs, const std::string& bytes, bool fails)
        : fs_(fs), bytes_(bytes), fails_(fails) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
      if (fails_ && at_ >= fs_.failAfter) return -1;
      size_t n = std::min({size, fs_.step, bytes_.size() - at_});
      if (fails_) n = std::min(n, fs_.failAfter - at_);
      std::memcpy(buffer, bytes_.data() + at_, n);
      at_ += n;
      return static_cast<std::ptrdiff_t>(n);
    }

   private:
    const FakeFileSystem& fs_;
    const std::string& bytes_;
    bool fails_;
    size_t at_ = 0;
  };
};

// The real file system with hooks after the existence test and before each open, to change the
// file under a reader.
class HookedFileSystem final : public FileSystem {
 public:
  std::function<void()> afterExistenceTest;
  std::function<void(int)> beforeOpen;  // given the open's number, from 1
  mutable int opens = 0;

  bool IsOrdinaryFile(TextView path) const override {
    const bool exists = RealFileSystem().IsOrdinaryFile(path);
    if (afterExistenceTest) afterExistenceTest();
    return exists;
  }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (beforeOpen) beforeOpen(++opens);
    return RealFileSystem().OpenRead(path);
  }
};

// Answers with `reply` (bytes, copied as they are) and `result`; records what it was handed.
class FakeDscpLibrary : public DscpLibrary {
 public:
  bool loaded = true;
  std::string reply;
  int32_t result = 0;
  std::function<void()> onSend;
  int calls = 0;
  bool bufferWasZero = false;
  std::vector<std::string> hosts, requests;

  bool Send(const char* host, const char* request, char* replyBuffer, int32_t& resultOut) override {
    ++calls;
    if (!loaded) return false;
    hosts.push_back(host);
    requests.push_back(request);
    bufferWasZero = std::all_of(replyBuffer, replyBuffer + kReplyBufferSize, [](char c) { return c == '\0'; });
    if (onSend) onSend();
    std::memcpy(replyBuffer, reply.data(), std::min(reply.size(), kReplyBufferSize));
    resultOut = result;
    return true;
  }
};

class FakeHost : public HostServices {
 public:
  int16_t running = 1;
  FakeFileSystem files;
  FakeDscpLibrary dscp;

  int16_t IsZMemoRunning() override { return running; }
  const FileSystem& Files() const override { return files; }
  DscpLibrary& Dscp() override { return dscp; }
};

// One run's state, view and host, wired together as the program does.
struct FakeApp {
  AppState state;
  FakeView view;
  FakeHost host;
  App app{state, view, host};
  LoadContext load{app.Loading()};  // what a switch or a drop works on

  // Adds a note with its ETag and history; returns its index.
  int AddNote(const Text& etag, const std::vector<Text>& history) {
    NoteRecord& note = state.table.Notes[static_cast<size_t>(state.table.intNoteCount)];
    note.strETag = etag;
    for (const Text& h : history) note.strHistory[static_cast<size_t>(note.intHistoryCount++)] = h;
    return state.table.intNoteCount++;
  }
};

}  // namespace karuvel::fakes
