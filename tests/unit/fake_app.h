// An in-memory file system, for the memo.ini reader and the package check.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "common/file_system.h"
#include "common/text.h"

namespace karuvel::fakes {

inline std::string U8(const Text& text) { return TextToUtf8(text); }

// Ordinary files in memory by exact path. An open can give a stream that fails after some bytes, and
// reads come in steps of `step` bytes.
struct FakeFileSystem : FileSystem {
  std::map<Text, std::string> files;
  std::map<Text, uint64_t> written;  // last write times; a file not listed was written at 1
  int failingOpen = 0;      // the n-th open gives a stream that fails after failAfter bytes
  size_t failAfter = 0;
  size_t step = 64 * 1024;  // most bytes per Read
  mutable int opens = 0;
  std::function<void(int)> beforeOpen;  // given the open's number, from 1

  void Add(const Text& path, std::string bytes = {}) { files[path] = std::move(bytes); }
  bool IsOrdinaryFile(TextView path) const override { return files.count(Text(path)) != 0; }
  uint64_t LastWriteTime(TextView path) const override {
    if (!IsOrdinaryFile(path)) return 0;
    const auto it = written.find(Text(path));
    return it == written.end() ? 1 : it->second;
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

}  // namespace karuvel::fakes
