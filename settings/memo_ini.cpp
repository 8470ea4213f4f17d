#include "settings/memo_ini.h"

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

// Calls `onLine` with each line of the file converted to text. A line ends at CR LF, a lone CR or
// a lone LF; neither byte is ever a Shift-JIS trail byte, so splitting the bytes is safe.
// False when the file cannot be opened or a read fails.
template <typename OnLine>
bool ForEachLine(const Text& path, const FileSystem& fs, OnLine onLine) {
  const std::unique_ptr<ByteStream> stream = fs.OpenRead(path);
  if (!stream) return false;
  std::vector<char> chunk(64 * 1024);
  std::string carry;  // the start of a line that runs past the end of a chunk
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
      const char* eol = p;
      while (eol < end && *eol != '\r' && *eol != '\n') ++eol;
      if (eol == end) {
        carry.append(p, end);
        break;
      }
      if (carry.empty()) {
        onLine(AnsiToText(std::string_view(p, static_cast<size_t>(eol - p))));
      } else {
        carry.append(p, eol);
        onLine(AnsiToText(carry));
        carry.clear();
      }
      p = eol + 1;
      if (*eol == '\r') {
        if (p == end) afterCr = true;
        else if (*p == '\n') ++p;
      }
    }
  }
  if (!carry.empty()) onLine(AnsiToText(carry));
  return true;
}

NoteRecord* FindNote(std::vector<NoteRecord>& notes, int16_t noteNo) {
  for (NoteRecord& note : notes)
    if (note.intNoteNo == noteNo) return &note;
  return nullptr;
}

void AddToHistory(NoteRecord& note, const Text& script) {
  for (int16_t i = 0; i < note.intHistoryCount; ++i)
    if (note.strHistory[static_cast<size_t>(i)] == script) return;
  if (note.intHistoryCount >= kTableSize) return;  // full: later scripts are dropped
  note.strHistory[static_cast<size_t>(note.intHistoryCount++)] = script;
}

}  // namespace

int16_t ParseMemoLine(TextView line, int16_t& noteNo, Text& key, Text& value) {
  if (!line.empty() && line[0] == u'#') return kParseFailed;
  if (line.size() <= 5) return kParseFailed;
  const size_t underscore = line.find(u'_');
  if (underscore == TextView::npos) return kParseFailed;
  const size_t equals = line.find(u'=', underscore + 1);
  if (equals == TextView::npos) return kParseFailed;
  int16_t number = 0;
  if (!ReadNoteNumber(line.substr(0, underscore), number)) return kParseFailed;
  noteNo = number;
  key.assign(line.substr(underscore + 1, equals - underscore - 1));
  value.assign(line.substr(equals + 1));
  return kParseOk;
}

void ReadMemoIni(const Text& path, NoteTable& table, const FileSystem& fs) {
  if (!fs.IsOrdinaryFile(path)) return;

  int16_t noteNo = 0;
  Text key;
  Text value;

  // First pass: the enabled notes, in the order of their lines.
  std::vector<int16_t> enabled;
  const bool firstRead = ForEachLine(path, fs, [&](const Text& line) {
    if (ParseMemoLine(line, noteNo, key, value) != kParseOk) return;
    if (EqualsIgnoreAsciiCase(key, kEnableKey) && EqualsIgnoreAsciiCase(value, u"true") &&
        enabled.size() < static_cast<size_t>(kTableSize))
      enabled.push_back(noteNo);
  });
  if (!firstRead) return;

  // Second pass into fresh records, so nothing of an earlier read survives and a failed read
  // leaves the table untouched.
  std::vector<NoteRecord> notes(enabled.size());
  for (size_t i = 0; i < enabled.size(); ++i) notes[i].intNoteNo = enabled[i];
  const bool secondRead = ForEachLine(path, fs, [&](const Text& line) {
    if (ParseMemoLine(line, noteNo, key, value) != kParseOk) return;
    if (EqualsIgnoreAsciiCase(key, kETagKey)) {
      if (NoteRecord* note = FindNote(notes, noteNo)) note->strETag = value;
    } else if (StartsWithIgnoreAsciiCase(key, kHistoryPrefix)) {
      if (NoteRecord* note = FindNote(notes, noteNo)) AddToHistory(*note, value);
    } else if (StartsWithIgnoreAsciiCase(key, kScriptPrefix)) {
      if (NoteRecord* note = FindNote(notes, noteNo)) {
        note->strScriptFileName = value;
        AddToHistory(*note, value);
      }
    }
  });
  if (!secondRead) return;

  for (size_t i = 0; i < notes.size(); ++i) table.Notes[i] = std::move(notes[i]);
  table.intNoteCount = static_cast<int16_t>(notes.size());
}

}  // namespace karuvel
