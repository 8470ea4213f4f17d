// Load speed of memo.ini: a generated file of about 5 MB (101 enabled notes with 101 history entries
// each, Japanese paths, and many settings the reader passes over), read with both passes.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/ansi.h"
#include "common/file_system.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

std::string GenerateMemoIni() {
  const Text folder = u"C:\\Program Files\\ZMemo\\スクリプト\\表示ソ能\\";
  std::string out;
  auto line = [&out](const Text& text) { out += TextToAnsi(text) + "\r\n"; };
  auto num = [](int n) { return Utf8ToText(std::to_string(n)); };
  line(u"[Memo]");
  for (int note = 0; note < 404; ++note) {
    const Text n = num(note);
    line(n + u"_Title=付箋 その" + n + u" ＿ メモ");
    line(n + u"_ScriptEnableDscpServer=" + (note % 4 == 0 && note / 4 < 101 ? u"true" : u"false"));
    line(n + u"_ETag=\"" + num(note * 7919) + u"-a5c3\"");
    for (int k = 0; k < 180; ++k)
      line(n + u"_Setting" + num(k) + u"=ＭＳ ゴシック,12,0," + num(k * note) + u",表示=ON_" + num(k));
    const int scripts = note % 4 == 0 ? 101 : 5;
    for (int s = 0; s < scripts; ++s)
      line(n + u"_WatermarkHistory-" + num(s) + u"=" + folder + u"ソ能" + num(s) + u"\\descript.ugu");
    line(n + u"_ScriptFileName=" + folder + u"ソ能3\\descript.ugu");
  }
  return out;
}

class MemoFile {
 public:
  explicit MemoFile(const std::string& bytes) {
    char name[] = "/tmp/karuvel-bench-XXXXXX";
    const int fd = mkstemp(name);
    path_ = name;
    if (fd >= 0) {
      FILE* f = fdopen(fd, "wb");
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  ~MemoFile() { std::remove(path_.c_str()); }
  MemoFile(const MemoFile&) = delete;
  MemoFile& operator=(const MemoFile&) = delete;
  Text Path() const { return Utf8ToText(path_); }

 private:
  std::string path_;
};

void BM_ReadMemoIni(benchmark::State& state) {
  const std::string bytes = GenerateMemoIni();
  const MemoFile file(bytes);
  const Text path = file.Path();
  NoteTable table;
  for (auto _ : state) {
    ReadMemoIni(path, table, RealFileSystem());
    benchmark::DoNotOptimize(table.intNoteCount);
  }
  if (table.intNoteCount != 101 || table.Notes[100].intHistoryCount != 101)
    state.SkipWithError("generated file did not load as expected");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
  // The same count as `wc -l` of the file.
  state.counters["file_lines"] = static_cast<double>(std::count(bytes.begin(), bytes.end(), '\n'));
}
BENCHMARK(BM_ReadMemoIni)->Unit(benchmark::kMillisecond);

void BM_AnsiToText(benchmark::State& state) {
  const std::string bytes = GenerateMemoIni();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToText(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_AnsiToText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace karuvel
