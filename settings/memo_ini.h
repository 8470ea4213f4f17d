// The reader of ZMemo's per-user settings file memo.ini: which notes accept DSCP requests, and for
// each its ETag, current script and script history. It only reads, and holds no handle between calls.
#pragma once

#include <cstdint>

#include "common/file_system.h"
#include "common/text.h"
#include "settings/note_table.h"

namespace karuvel {

constexpr int16_t kParseOk = 0;
constexpr int16_t kParseFailed = -9;

// Splits one line of the form <note number>_<key>=<value>. Returns kParseOk and sets the outputs,
// or kParseFailed and leaves them alone: a "#" as the very first character, 5 characters or fewer,
// no "_", no "=" after the first "_", or a note number outside -32768..32767.
// The note number is the text before the first "_": leading spaces, an optional "+" or "-", then
// decimal digits up to the first other character ("  7abc" is 7, "-3" is -3); text that does not
// begin so reads as 0 ("abc", "+", "").
int16_t ParseMemoLine(TextView line, int16_t& noteNo, Text& key, Text& value);

// Rebuilds `table` from the memo.ini at `path` (bytes in the ANSI code page). A path that is not an
// ordinary file, or a file that cannot be opened or read to its end, leaves the table as it was.
// Notes enabled beyond the table's 101 entries, and scripts beyond a note's 101, are dropped.
void ReadMemoIni(const Text& path, NoteTable& table, const FileSystem& fs);

}  // namespace karuvel
