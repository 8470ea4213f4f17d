// In-memory stand-ins for the window, the file system and the host services, for handler tests.
// The view keeps a log of every call so tests can check the order of effects.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/app.h"

namespace karuvel::testing {

class FakeMainView : public MainView {
 public:
  std::array<std::vector<Text>, 2> lists;
  std::array<int, 2> selected{-1, -1};
  std::array<Text, 2> texts;
  std::array<bool, 2> textEnabled{true, true};
  std::array<bool, 4> buttonEnabled{true, true, true, true};
  int heightTwips = 0;
  std::vector<Text> messages;
  std::vector<std::string> log;

  std::vector<Text>& Entries(List list) { return lists[Index(list)]; }
  Text& TextOf(TextBox box) { return texts[Index(box)]; }

  void ListClear(List list) override {
    lists[Index(list)].clear();
    selected[Index(list)] = -1;
    log.push_back(Name(list) + ".clear");
  }
  void ListAdd(List list, const Text& item) override {
    lists[Index(list)].push_back(item);
    log.push_back(Name(list) + ".add");
  }
  void ListSetSelected(List list, int index) override {
    // As a drop-down list does: a position outside the entries chooses nothing.
    const int size = static_cast<int>(lists[Index(list)].size());
    selected[Index(list)] = (index >= 0 && index < size) ? index : -1;
    log.push_back(Name(list) + ".select " + std::to_string(index));
  }
  int ListSelected(List list) const override { return selected[Index(list)]; }

  void SetText(TextBox box, const Text& text) override {
    texts[Index(box)] = text;
    log.push_back(Name(box) + (text.empty() ? ".empty" : ".set"));
  }
  void SetTextEnabled(TextBox box, bool enabled) override {
    textEnabled[Index(box)] = enabled;
    log.push_back(Name(box) + (enabled ? ".enable" : ".disable"));
  }
  void SetButtonEnabled(Button button, bool enabled) override {
    buttonEnabled[static_cast<int>(button)] = enabled;
  }
  bool IsButtonEnabled(Button button) const override { return buttonEnabled[static_cast<int>(button)]; }

  int OuterHeightTwips() const override { return heightTwips; }
  void SetOuterHeightTwips(int twips) override {
    heightTwips = twips;
    log.push_back("height " + std::to_string(twips));
  }
  void ShowMessage(const Text& text) override {
    messages.push_back(text);
    log.push_back("message");
  }
  void SetBusy(bool) override {}

 private:
  static int Index(List list) { return list == List::Target ? 0 : 1; }
  static int Index(TextBox box) { return box == TextBox::Reply ? 0 : 1; }
  static std::string Name(List list) { return list == List::Target ? "notes" : "scripts"; }
  static std::string Name(TextBox box) { return box == TextBox::Reply ? "Text1" : "Text2"; }
};

// Files held in memory by exact path; every file is ordinary.
class FakeFileSystem : public FileSystem {
 public:
  std::map<Text, std::string> files;

  bool IsOrdinaryFile(TextView path) const override { return files.count(Text(path)) != 0; }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    const auto it = files.find(Text(path));
    if (it == files.end()) return nullptr;
    return std::make_unique<Stream>(it->second);
  }

 private:
  class Stream : public ByteStream {
   public:
    explicit Stream(std::string bytes) : bytes_(std::move(bytes)) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
      const std::size_t n = std::min(size, bytes_.size() - pos_);
      bytes_.copy(buffer, n, pos_);
      pos_ += n;
      return static_cast<std::ptrdiff_t>(n);
    }

   private:
    std::string bytes_;
    std::size_t pos_ = 0;
  };
};

class FakeDscpLibrary : public DscpLibrary {
 public:
  int calls = 0;
  bool Send(const char*, const char*, char*, int32_t& result) override {
    ++calls;
    result = 0;
    return true;
  }
};

class FakeHost : public HostServices {
 public:
  FakeFileSystem files;
  FakeDscpLibrary dscp;
  int16_t zmemoRunning = 1;

  int16_t IsZMemoRunning() override { return zmemoRunning; }
  const FileSystem& Files() const override { return files; }
  DscpLibrary& Dscp() override { return dscp; }
};

// One run's state, view and host, wired together as the program does.
struct FakeApp {
  AppState state;
  FakeMainView view;
  FakeHost host;
  App app{state, view, host};
};

}  // namespace karuvel::testing
