// The largest memo.ini files Karuvel is shown to read, each written to a real file and read once
// with ReadMemoIni through the machine's file system:
//   junk  50 MB of lines of junk in every byte value, one setting at the start and two at the end;
//   line  one line of 10 MB: an ETag of 表 (0x95 0x5C, whose trail byte is "\") ending in a lone
//         lead byte.
// Prints what was read, the time and the growth of the process's peak memory, and ends with 0 when
// both read as they must. On demand, not part of the test command: memo_ini_huge [junk|line].
#include <chrono>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "common/file_system.h"
#include "common/text.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

// A file in the temporary directory, written piece by piece (so the writer needs no memory of its
// size) and removed at the end.
class TempFile {
 public:
  TempFile() {
#ifdef _WIN32
    wchar_t dir[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, dir);
    native_ = std::wstring(dir) + L"karuvel-huge-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
    path_.assign(native_.begin(), native_.end());
    file_ = _wfopen(native_.c_str(), L"wb");
#else
    char name[] = "/tmp/karuvel-huge-XXXXXX";
    const int fd = mkstemp(name);
    native_ = name;
    path_ = Utf8ToText(native_);
    file_ = fd >= 0 ? fdopen(fd, "wb") : nullptr;
#endif
  }
  ~TempFile() {
    Close();
#ifdef _WIN32
    DeleteFileW(native_.c_str());
#else
    std::remove(native_.c_str());
#endif
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(const std::string& bytes) {
    if (file_) written_ += std::fwrite(bytes.data(), 1, bytes.size(), file_);
  }
  // Closes the file for writing; false when a write fell short.
  bool Close() {
    const bool ok = file_ && std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }
  const Text& Path() const { return path_; }
  unsigned long long Size() const { return written_; }

 private:
#ifdef _WIN32
  std::wstring native_;
#else
  std::string native_;
#endif
  Text path_;
  std::FILE* file_ = nullptr;
  unsigned long long written_ = 0;
};

// The process's peak memory so far in KB: peak resident set natively, peak working set on Windows.
unsigned long long PeakKb() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize / 1024 : 0;
#else
  rusage usage{};
  return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<unsigned long long>(usage.ru_maxrss) : 0;
#endif
}

// Reads the file once into a fresh table; prints the size, the time and the peak's growth.
NoteTable ReadOnce(const char* name, TempFile& file) {
  NoteTable table;
  if (!file.Close()) {
    std::printf("%s: the file could not be written\n", name);
    return table;
  }
  const unsigned long long peakBefore = PeakKb();
  const auto began = std::chrono::steady_clock::now();
  ReadMemoIni(file.Path(), table, RealFileSystem());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
  std::printf("%s: %llu bytes read in %lld ms; peak memory %llu KB before, %llu KB after; %d note(s)\n", name,
              file.Size(), static_cast<long long>(ms.count()), peakBefore, PeakKb(), table.intNoteCount);
  return table;
}

bool Junk() {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>(i * 131 + 7));  // every byte value
  junk += "\r\n";
  TempFile file;
  file.Write("3_ScriptEnableDscpServer=true\r\n");
  while (file.Size() < (50u << 20)) file.Write(junk);
  file.Write("3_ETag=at-the-end\r\n3_ScriptFileName=C:\\s\\last.ugu");
  const NoteTable table = ReadOnce("junk", file);
  const bool ok = table.intNoteCount == 1 && table.Notes[0].strETag == u"at-the-end" &&
                  table.Notes[0].strScriptFileName == u"C:\\s\\last.ugu";
  if (table.intNoteCount > 0)
    std::printf("junk: note %d, ETag \"%s\", script \"%s\": %s\n", table.Notes[0].intNoteNo,
                TextToUtf8(table.Notes[0].strETag).c_str(), TextToUtf8(table.Notes[0].strScriptFileName).c_str(),
                ok ? "as written" : "WRONG");
  return ok;
}

bool Line() {
  std::string piece;
  while (piece.size() < (64u << 10)) piece += "\x95\x5C";
  TempFile file;
  file.Write("1_ScriptEnableDscpServer=true\r\n1_ETag=");
  for (unsigned i = 0; i < (10u << 20) / piece.size(); ++i) file.Write(piece);
  file.Write("\x81\r\n");
  const NoteTable table = ReadOnce("line", file);
  if (table.intNoteCount != 1) return false;
  const Text& etag = table.Notes[0].strETag;
  const bool ok = etag.size() == (5u << 20) + 1 && etag.find_first_not_of(u'表') == etag.size() - 1 &&
                  etag.back() == u'\u30FB';
  std::printf("line: ETag of %zu characters, %s\n", etag.size(),
              ok ? "表 throughout and U+30FB for the lone lead byte at its end" : "WRONG");
  return ok;
}

}  // namespace
}  // namespace karuvel

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  bool ok = true;
  if (only.empty() || only == "junk") ok = karuvel::Junk() && ok;
  if (only.empty() || only == "line") ok = karuvel::Line() && ok;
  std::printf("%s\n", ok ? "passed" : "FAILED");
  return ok ? 0 : 1;
}
