// memo.ini reader on arbitrary bytes, through an in-memory file system that can refuse the file or
// fail a read at any point. Checks the table against a plain line-by-line model of the reader and
// that a failed read leaves the table as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "bench/fuzz/fuzz_check.h"
#include "settings/memo_ini.h"
#include "tests/unit/fake_app.h"

namespace karuvel {
namespace {

// The reader as the rules say it, without buffers or hashes: split the bytes at CR LF, CR or LF,
// decode each line, parse it, two passes.
struct ModelNote {
  int16_t noteNo = 0;
  Text etag;
  std::vector<Text> history;
  Text script;
};

bool Upper(const Text& a, TextView b) { return EqualsIgnoreAsciiCase(a, b); }

std::vector<ModelNote> Model(const std::string& bytes) {
  std::vector<Text> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back(cp932::Decode(std::string_view(bytes).substr(start, i - start)));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(cp932::Decode(std::string_view(bytes).substr(start)));

  std::vector<ModelNote> notes;
  int16_t no = 0;
  Text key, value;
  for (const Text& line : lines) {
    if (ParseMemoLine(line, no, key, value) != kParseOk) continue;
    if (Upper(key, u"ScriptEnableDscpServer") && Upper(value, u"true") && notes.size() < kTableSize) {
      notes.emplace_back();
      notes.back().noteNo = no;
    }
  }
  auto find = [&](int16_t n) -> ModelNote* {
    for (ModelNote& note : notes)
      if (note.noteNo == n) return &note;
    return nullptr;
  };
  auto add = [](ModelNote& note, const Text& script) {
    if (std::find(note.history.begin(), note.history.end(), script) != note.history.end()) return;
    if (note.history.size() < kTableSize) note.history.push_back(script);
  };
  for (const Text& line : lines) {
    if (ParseMemoLine(line, no, key, value) != kParseOk) continue;
    ModelNote* note = find(no);
    if (!note) continue;
    if (Upper(key, u"ETag")) {
      note->etag = value;
    } else if (StartsWithIgnoreAsciiCase(key, u"WatermarkHistory-")) {
      add(*note, value);
    } else if (StartsWithIgnoreAsciiCase(key, u"ScriptFileName")) {
      note->script = value;
      add(*note, value);
    }
  }
  return notes;
}

void FillSentinel(NoteTable& table) {
  table.intNoteCount = 2;
  table.Notes[0].intNoteNo = 7;
  table.Notes[0].strETag = u"sentinel";
  table.Notes[0].strHistory[0] = u"s.ugu";
  table.Notes[0].intHistoryCount = 1;
  table.Notes[1].intNoteNo = -7;
}

bool IsSentinel(const NoteTable& table) {
  return table.intNoteCount == 2 && table.Notes[0].intNoteNo == 7 && table.Notes[0].strETag == u"sentinel" &&
         table.Notes[0].intHistoryCount == 1 && table.Notes[0].strHistory[0] == u"s.ugu" &&
         table.Notes[1].intNoteNo == -7;
}

}  // namespace
}  // namespace karuvel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace karuvel;
  FuzzedDataProvider input(data, size);
  fakes::FakeFileSystem fs;
  // Control values come from the end of the input, the file from its start.
  const uint8_t stepPick = input.ConsumeIntegral<uint8_t>();
  const uint8_t fault = input.ConsumeIntegral<uint8_t>();
  const uint16_t faultAt = input.ConsumeIntegral<uint16_t>();
  const std::string content = input.ConsumeRemainingBytesAsString();
  if (fault % 8 != 1) fs.Add(u"memo.ini", content);  // 1: the file is missing
  fs.step = stepPick < 200 ? stepPick + 1u : 64u * 1024u;
  bool faulty = true;
  switch (fault % 8) {
    case 1: break;
    case 2: {  // the file is gone by the first or the second open
      const int refused = 1 + (fault / 8) % 2;
      fs.beforeOpen = [&fs, refused](int open) { if (open == refused) fs.files.clear(); };
      break;
    }
    case 3: fs.failingOpen = 1 + (fault / 8) % 2; fs.failAfter = faultAt % (content.size() + 1); break;
    default: faulty = false; break;
  }

  // One table for every run: building its 10 000 strings each time would be most of the work.
  static NoteTable* const table = new NoteTable;
  FillSentinel(*table);
  ReadMemoIni(u"memo.ini", *table, fs);
  if (faulty) {
    FUZZ_CHECK(IsSentinel(*table));
    return 0;
  }

  const std::vector<ModelNote> expected = Model(content);
  FUZZ_CHECK(table->intNoteCount >= 0 && table->intNoteCount <= kTableSize);
  FUZZ_CHECK(static_cast<size_t>(table->intNoteCount) == expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const NoteRecord& got = table->Notes[i];
    const ModelNote& want = expected[i];
    FUZZ_CHECK(got.intNoteNo == want.noteNo);
    FUZZ_CHECK(got.strETag == want.etag);
    FUZZ_CHECK(got.strScriptFileName == want.script);
    FUZZ_CHECK(static_cast<size_t>(got.intHistoryCount) == want.history.size());
    for (size_t j = 0; j < want.history.size(); ++j) FUZZ_CHECK(got.strHistory[j] == want.history[j]);
  }
  return 0;
}
