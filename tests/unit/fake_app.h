// In-memory window, file system and DSCP library, wired as the program wires the real ones. The view
// and the library write to one log, so a test checks the order of every effect with one comparison.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "shell/app.h"

namespace karuvel::fakes {

// chc_dscp.dll's contract: the caller hands in 20000 zero-filled bytes. The library writes the reply
// as NUL-terminated text in it, so at most 19999 bytes; one that fills all 20000 and leaves no NUL
// breaks that, and the caller reads such a reply to the buffer's end and no further.
constexpr std::size_t kLibraryReplyBuffer = 20000;

inline std::string U8(const Text& text) { return TextToUtf8(text); }

// Log lines: "<list> clear|add <item>|select <n>", "Reply=<text>", "<control> on|off",
// "height <twips>", "message <text>", "busy", "idle", and the library's "send <host> <bytes>".
struct FakeView : MainView {
  int selected[2] = {-1, -1};
  bool buttons[4] = {true, true, true, true};
  int heightTwips = 0;
  std::vector<std::string> log;

  void ListClear(List l) override { selected[I(l)] = -1; Log(Name(l) + " clear"); }
  void ListAdd(List l, const Text& item) override { Log(Name(l) + " add " + U8(item)); }
  void ListSetSelected(List l, int i) override { selected[I(l)] = i; Log(Name(l) + " select " + std::to_string(i)); }
  int ListSelected(List l) const override { return selected[I(l)]; }
  void SetText(TextBox b, const Text& text) override { Log(Name(b) + "=" + U8(text)); }
  void SetTextEnabled(TextBox b, bool on) override { Log(Name(b) + (on ? " on" : " off")); }
  void SetButtonEnabled(Button b, bool on) override { buttons[I(b)] = on; Log(Name(b) + (on ? " on" : " off")); }
  bool IsButtonEnabled(Button b) const override { return buttons[I(b)]; }
  int OuterHeightTwips() const override { return heightTwips; }
  void SetOuterHeightTwips(int twips) override { heightTwips = twips; Log("height " + std::to_string(twips)); }
  void ShowMessage(const Text& text) override { Log("message " + U8(text)); }
  void SetBusy(bool on) override { Log(on ? "busy" : "idle"); }

  void Log(std::string line) { log.push_back(std::move(line)); }
  template <typename E>
  static int I(E e) { return static_cast<int>(e); }
  static std::string Name(List l) { return l == List::Target ? "Cbo切替対象" : "Cbo切替スクリプト"; }
  static std::string Name(TextBox b) { return b == TextBox::Reply ? "Reply" : "Request"; }
  static std::string Name(Button b) { return std::array{"Cmd切替", "Cmd再読み込み", "Cmd詳細", "Cmd終了"}[I(b)]; }
};

// Ordinary files in memory by exact path. Records every existence test in order; an open can give
// a stream that fails after some bytes, and reads come in steps of `step` bytes.
struct FakeFileSystem : FileSystem {
  std::map<Text, std::string> files;
  mutable std::vector<Text> asked;
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
    if (it == files.end()) return nullptr;
    ++opens;
    return std::make_unique<Stream>(*this, it->second, opens == failingOpen ? failAfter : std::string::npos);
  }

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

// The host: ZMemo running or not, the files above, and a DSCP library that answers with `reply`
// (bytes as they are, no NUL added) and `result` and logs what it was handed.
struct FakeApp : HostServices, DscpLibrary {
  AppState state;
  FakeView view;
  FakeFileSystem files;
  int16_t running = 1;
  bool loaded = true;
  std::string reply;
  int32_t result = 0;
  App app{state, view, *this};
  LoadContext load{app.Loading()};  // what a switch or a drop works on

  int16_t IsZMemoRunning() override { return running; }
  const FileSystem& Files() const override { return files; }
  DscpLibrary& Dscp() override { return *this; }
  bool Send(const char* host, const char* request, char* buffer, int32_t& resultOut) override {
    if (!loaded) return false;
    view.log.push_back(std::string("send ") + host + " " + request);
    std::memcpy(buffer, reply.data(), std::min(reply.size(), kLibraryReplyBuffer));
    resultOut = result;
    return true;
  }
};

}  // namespace karuvel::fakes
