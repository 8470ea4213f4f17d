// In-memory window, file system and DSCP library, wired as the program wires the real ones. The view
// and the library write to one log, so a test checks the order of every effect with one comparison.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "shell/app.h"

namespace karuvel::fakes {

inline std::string U8(const Text& text) { return TextToUtf8(text); }

// Log lines: "<list> clear|add <item>|select <n>", "Text1=<text>", "<control> on|off",
// "height <twips>", "message <text>", "busy", "idle", and the library's "send <host> <bytes>".
class FakeView : public MainView {
 public:
  std::vector<Text> lists[2];
  int selected[2] = {-1, -1};
  Text texts[2];
  bool buttons[4] = {true, true, true, true};
  int heightTwips = 0;
  std::vector<std::string> log;

  void ListClear(List l) override { lists[I(l)].clear(); selected[I(l)] = -1; Log(l, " clear"); }
  void ListAdd(List l, const Text& item) override { lists[I(l)].push_back(item); Log(l, " add " + U8(item)); }
  void ListSetSelected(List l, int index) override {  // a position outside the entries chooses nothing
    selected[I(l)] = index >= 0 && index < static_cast<int>(lists[I(l)].size()) ? index : -1;
    Log(l, " select " + std::to_string(index));
  }
  int ListSelected(List l) const override { return selected[I(l)]; }
  void SetText(TextBox b, const Text& text) override { texts[I(b)] = text; Log(b, "=" + U8(text)); }
  void SetTextEnabled(TextBox b, bool on) override { Log(b, on ? " on" : " off"); }
  void SetButtonEnabled(Button b, bool on) override { buttons[I(b)] = on; Log(b, on ? " on" : " off"); }
  bool IsButtonEnabled(Button b) const override { return buttons[I(b)]; }
  int OuterHeightTwips() const override { return heightTwips; }
  void SetOuterHeightTwips(int twips) override { heightTwips = twips; log.push_back("height " + std::to_string(twips)); }
  void ShowMessage(const Text& text) override { log.push_back("message " + U8(text)); }
  void SetBusy(bool on) override { log.push_back(on ? "busy" : "idle"); }

 private:
  template <typename E>
  static int I(E e) { return static_cast<int>(e); }
  template <typename E>
  void Log(E e, const std::string& what) {
    static const char* const names[][4] = {{"Cbo切替対象", "Cbo切替スクリプト"}, {"Text1", "Text2"},
                                           {"Cmd切替", "Cmd再読み込み", "Cmd詳細", "Cmd終了"}};
    const int kind = std::is_same_v<E, List> ? 0 : std::is_same_v<E, TextBox> ? 1 : 2;
    log.push_back(names[kind][I(e)] + what);
  }
};

// Ordinary files in memory by exact path. Records every existence test in order; an open can be
// refused or give a stream that fails after some bytes, and reads come in steps of `step` bytes.
class FakeFileSystem : public FileSystem {
 public:
  std::map<Text, std::string> files;
  mutable std::vector<Text> asked;
  int refusedOpen = 0;      // the n-th open (from 1) returns null; 0: none
  int failingOpen = 0;      // the n-th open gives a stream that fails after failAfter bytes
  size_t failAfter = 0;
  size_t step = 64 * 1024;  // most bytes per Read
  mutable int opens = 0;
  std::function<void(int)> beforeOpen;  // given the open's number, from 1

  void Add(const Text& path, std::string bytes = {}) { files[path] = std::move(bytes); }

  bool IsOrdinaryFile(TextView path) const override {
    asked.emplace_back(path);
    return files.count(Text(path)) != 0;
  }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (beforeOpen) beforeOpen(opens + 1);
    const auto it = files.find(Text(path));
    if (it == files.end() || ++opens == refusedOpen) return nullptr;
    return std::make_unique<Stream>(*this, it->second, opens == failingOpen ? failAfter : std::string::npos);
  }

 private:
  struct Stream : ByteStream {
    Stream(const FakeFileSystem& fs, const std::string& bytes, size_t failAt) : fs(fs), bytes(bytes), failAt(failAt) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
      if (at >= failAt) return -1;
      const size_t n = std::min({size, fs.step, bytes.size() - at, failAt - at});
      std::memcpy(buffer, bytes.data() + at, n);
      at += n;
      return static_cast<std::ptrdiff_t>(n);
    }
    const FakeFileSystem& fs;
    const std::string& bytes;
    size_t failAt, at = 0;
  };
};

// The real file system with a hook before each open, to change the file under a reader.
class HookedFileSystem final : public FileSystem {
 public:
  std::function<void(int)> beforeOpen;  // given the open's number, from 1
  mutable int opens = 0;

  bool IsOrdinaryFile(TextView path) const override { return RealFileSystem().IsOrdinaryFile(path); }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (beforeOpen) beforeOpen(++opens);
    return RealFileSystem().OpenRead(path);
  }
};

// Answers with `reply` (bytes as they are, no NUL added) and `result`, and logs what it was handed.
class FakeDscpLibrary : public DscpLibrary {
 public:
  bool loaded = true;
  std::string reply;
  int32_t result = 0;
  std::vector<std::string>* log = nullptr;

  bool Send(const char* host, const char* request, char* buffer, int32_t& resultOut) override {
    if (!loaded) return false;
    log->push_back(std::string("send ") + host + " " + request);
    std::memcpy(buffer, reply.data(), std::min(reply.size(), kReplyBufferSize));
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

struct FakeApp {
  AppState state;
  FakeView view;
  FakeHost host;
  App app{state, view, host};
  LoadContext load{app.Loading()};  // what a switch or a drop works on

  FakeApp() { host.dscp.log = &view.log; }
  void AddNote(const Text& etag, const std::vector<Text>& history) {
    NoteRecord& note = state.table.Notes[static_cast<size_t>(state.table.intNoteCount++)];
    note.strETag = etag;
    for (const Text& h : history) note.strHistory[static_cast<size_t>(note.intHistoryCount++)] = h;
  }
};

}  // namespace karuvel::fakes
