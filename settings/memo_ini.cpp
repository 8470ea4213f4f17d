#include "settings/memo_ini.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/ansi.h"

namespace karuvel {

namespace {

constexpr TextView kEnableKey = u"ScriptEnableDscpServer";
constexpr TextView kETagKey = u"ETag";
constexpr TextView kHistoryPrefix = u"WatermarkHistory-";  // 17 characters
constexpr TextView kScriptPrefix = u"ScriptFileName";      // 14 characters

// The note number before the first "_"; false when it does not fit 16 bits.
bool ReadNoteNumber(TextView text, int16_t& number) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int32_t magnitude = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > 32768) return false;  // stops before any overflow
  }
  if (!negative && magnitude > 32767) return false;
  number = static_cast<int16_t>(negative ? -magnitude : magnitude);
  return true;
}

// The first CR or LF in [p, end), or end. Looks at eight bytes at a time: lines are long and
// this scan runs over every byte of the file twice per load.
const char* FindLineEnd(const char* p, const char* end) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    const uint64_t cr = word ^ (kOnes * '\r');
    const uint64_t lf = word ^ (kOnes * '\n');
    // Non-zero when some byte of cr or lf is zero (the classic has-zero-byte test).
    if ((((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs) break;
    p += 8;
  }
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

// Calls `onLine` with each line of the file converted to text. A line ends at CR LF, a lone CR or
// a lone LF; neither byte is ever a Shift-JIS trail byte, so splitting the bytes is safe.
// False when the file cannot be opened or a read fails.
template <typename OnLine>
bool ForEachLine(const Text& path, const FileSystem& fs, OnLine onLine) {
  const std::unique_ptr<ByteStream> stream = fs.OpenRead(path);
  if (!stream) return false;
  std::vector<char> chunk(64 * 1024);
  std::string carry;  // the start of a line that runs past the end of a chunk
  Text line;          // one buffer for every line
  bool afterCr = false;  // the previous chunk ended in CR: an LF at the start belongs to it
  for (;;) {
    const std::ptrdiff_t got = stream->Read(chunk.data(), chunk.size());
    if (got < 0) return false;
    if (got == 0) break;
    const char* p = chunk.data();
    const char* const end = p + got;
    if (afterCr && *p == '\n') ++p;
    afterCr = false;
    while (p < end) {
      const char* const eol = FindLineEnd(p, end);
      if (eol == end) {
        carry.append(p, end);
        break;
      }
      if (carry.empty()) {
        AnsiToText(std::string_view(p, static_cast<size_t>(eol - p)), line);
      } else {
        carry.append(p, eol);
        AnsiToText(carry, line);
        carry.clear();
      }
      onLine(TextView(line));
      p = eol + 1;
      if (*eol == '\r') {
        if (p == end) afterCr = true;
        else if (*p == '\n') ++p;
      }
    }
  }
  if (!carry.empty()) {
    AnsiToText(carry, line);
    onLine(TextView(line));
  }
  return true;
}

// ParseMemoLine without copies: key and value point into `line`.
bool SplitLine(TextView line, int16_t& noteNo, TextView& key, TextView& value) {
  if (!line.empty() && line[0] == u'#') return false;
  if (line.size() <= 5) return false;
  const size_t underscore = line.find(u'_');
  if (underscore == TextView::npos) return false;
  const size_t equals = line.find(u'=', underscore + 1);
  if (equals == TextView::npos) return false;
  if (!ReadNoteNumber(line.substr(0, underscore), noteNo)) return false;
  key = line.substr(underscore + 1, equals - underscore - 1);
  value = line.substr(equals + 1);
  return true;
}

// A note being read, with a hash of each history entry so the duplicate test rarely has to
// compare whole paths.
struct NoteBeingRead {
  NoteRecord record;
  std::vector<size_t> historyHashes;
};

NoteBeingRead* FindNote(std::vector<NoteBeingRead>& notes, int16_t noteNo) {
  for (NoteBeingRead& note : notes)
    if (note.record.intNoteNo == noteNo) return &note;
  return nullptr;
}

void AddToHistory(NoteBeingRead& note, TextView script) {
  const size_t hash = std::hash<TextView>()(script);
  NoteRecord& record = note.record;
  for (size_t i = 0; i < note.historyHashes.size(); ++i)
    if (note.historyHashes[i] == hash && record.strHistory[i] == script) return;
  if (record.intHistoryCount >= kTableSize) return;  // full: later scripts are dropped
  record.strHistory[static_cast<size_t>(record.intHistoryCount++)] = script;
  note.historyHashes.push_back(hash);
}

}  // namespace

int16_t ParseMemoLine(TextView line, int16_t& noteNo, Text& key, Text& value) {
  int16_t number = 0;
  TextView keyView, valueView;
  if (!SplitLine(line, number, keyView, valueView)) return kParseFailed;
  noteNo = number;
  key.assign(keyView);
  value.assign(valueView);
  return kParseOk;
}

void ReadMemoIni(const Text& path, NoteTable& table, const FileSystem& fs) {
  if (!fs.IsOrdinaryFile(path)) return;

  int16_t noteNo = 0;
  TextView key;
  TextView value;

  // First pass: the enabled notes, in the order of their lines.
  std::vector<int16_t> enabled;
  const bool firstRead = ForEachLine(path, fs, [&](TextView line) {
    if (!SplitLine(line, noteNo, key, value)) return;
    if (EqualsIgnoreAsciiCase(key, kEnableKey) && EqualsIgnoreAsciiCase(value, u"true") &&
        enabled.size() < static_cast<size_t>(kTableSize))
      enabled.push_back(noteNo);
  });
  if (!firstRead) return;

  // Second pass into fresh records, so nothing of an earlier read survives and a failed read
  // leaves the table untouched.
  std::vector<NoteBeingRead> notes(enabled.size());
  for (size_t i = 0; i < enabled.size(); ++i) notes[i].record.intNoteNo = enabled[i];
  const bool secondRead = ForEachLine(path, fs, [&](TextView line) {
    if (!SplitLine(line, noteNo, key, value)) return;
    if (EqualsIgnoreAsciiCase(key, kETagKey)) {
      if (NoteBeingRead* note = FindNote(notes, noteNo)) note->record.strETag = value;
    } else if (StartsWithIgnoreAsciiCase(key, kHistoryPrefix)) {
      if (NoteBeingRead* note = FindNote(notes, noteNo)) AddToHistory(*note, value);
    } else if (StartsWithIgnoreAsciiCase(key, kScriptPrefix)) {
      if (NoteBeingRead* note = FindNote(notes, noteNo)) {
        note->record.strScriptFileName = value;
        AddToHistory(*note, value);
      }
    }
  });
  if (!secondRead) return;

  for (size_t i = 0; i < notes.size(); ++i) table.Notes[i] = std::move(notes[i].record);
  table.intNoteCount = static_cast<int16_t>(notes.size());
}

}  // namespace karuvel
