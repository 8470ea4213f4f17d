// The Windows file system: ordinary-file test by a directory search, reads through CreateFileW.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "common/file_system.h"
#include "common/owners_win.h"

namespace karuvel {

namespace {

// A search pattern with these would match other names: "*" and "?", and the DOS forms "<", ">"
// and '"' that the directory search also expands. A NUL would cut the path short.
bool HasPatternOrNul(TextView path) { return path.find_first_of(TextView(u"*?<>\"\0", 6)) != TextView::npos; }

class FileStream final : public ByteStream {
 public:
  explicit FileStream(HANDLE handle) : file_(handle) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<int32_t>::max()));
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer, chunk, &got, nullptr)) return -1;
    return static_cast<std::ptrdiff_t>(got);
  }

 private:
  UniqueFile file_;
};

class WinFileSystem final : public FileSystem {
 public:
  bool IsOrdinaryFile(TextView path) const override { return LastWriteTime(path) != 0; }

  uint64_t LastWriteTime(TextView path) const override {
    if (path.empty() || HasPatternOrNul(path)) return 0;
    const Text name(path);
    // No error box for a drive that is not ready; errors read as "no file".
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAW data{};
    const UniqueFind search(
        FindFirstFileExW(Wide(name), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    SetErrorMode(oldMode);
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (!search || (data.dwFileAttributes & kNotOrdinary) != 0) return 0;
    const uint64_t written = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return written != 0 ? written : 1;  // a file stamped 1601 is still there
  }

  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (path.empty() || path.find(u'\0') != TextView::npos) return nullptr;
    const Text name(path);
    const HANDLE handle = CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<FileStream>(handle);
  }
};

}  // namespace

const FileSystem& RealFileSystem() {
  static const WinFileSystem fileSystem;
  return fileSystem;
}

}  // namespace karuvel
