// Native file system: UTF-8 paths, regular files only; a name beginning with "." counts as hidden,
// as Wine reports dot files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/file_system.h"

namespace karuvel {

namespace {

class FdStream final : public ByteStream {
 public:
  explicit FdStream(int fd) : fd_(fd) {}
  ~FdStream() override { ::close(fd_); }
  FdStream(const FdStream&) = delete;
  FdStream& operator=(const FdStream&) = delete;

  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) return static_cast<std::ptrdiff_t>(n);
      if (errno != EINTR) return -1;
    }
  }

 private:
  int fd_;
};

// Characters that a Windows directory search expands as patterns, and NUL, which would cut the
// path short: such a path names no ordinary file, as on Windows.
bool HasPatternOrNul(TextView path) { return path.find_first_of(TextView(u"*?<>\"\0", 6)) != TextView::npos; }

bool IsHiddenName(TextView path) {
  const size_t slash = path.find_last_of(u"/\\");
  const TextView name = slash == TextView::npos ? path : path.substr(slash + 1);
  return !name.empty() && name[0] == u'.';
}

class PosixFileSystem final : public FileSystem {
 public:
  bool IsOrdinaryFile(TextView path) const override { return LastWriteTime(path) != 0; }

  uint64_t LastWriteTime(TextView path) const override {
    if (path.empty() || HasPatternOrNul(path) || IsHiddenName(path)) return 0;
    struct stat st {};
    if (::stat(TextToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    // Seconds since 1970 as Windows' ticks since 1601, so no file reads as 0.
    constexpr uint64_t kTicksTo1970 = 116444736000000000u;
    return kTicksTo1970 + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100u;
  }

  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (path.empty() || path.find(u'\0') != TextView::npos) return nullptr;
    const int fd = ::open(TextToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<FdStream>(fd);
  }
};

}  // namespace

const FileSystem& RealFileSystem() {
  static const PosixFileSystem fs;
  return fs;
}

}  // namespace karuvel
