// The file system as the core sees it: an existence test for ordinary files and a byte reader.
// Windows and POSIX fill it in (file_system_win.cpp, file_system_posix.cpp); tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/text.h"

namespace karuvel {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads up to `size` bytes into `buffer`. Returns the count read, 0 at the end, -1 on a read error.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when an ordinary file exists at exactly this path: not a directory, not hidden, not a
  // system file. Wildcards never match. Every error reads as false; never raises.
  virtual bool IsOrdinaryFile(TextView path) const = 0;
  // When the ordinary file at `path` was last written, in 100-nanosecond ticks since 1601 as Windows
  // counts; 0 where IsOrdinaryFile is false.
  virtual uint64_t LastWriteTime(TextView path) const = 0;
  // Opens the file for reading, sharing it with writers; null when it cannot be opened. The stream
  // owns the handle and closes it when destroyed.
  virtual std::unique_ptr<ByteStream> OpenRead(TextView path) const = 0;
};

// The machine's own file system (stateless).
const FileSystem& RealFileSystem();

}  // namespace karuvel
