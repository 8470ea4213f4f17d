// The note table: ZMemo's notes whose DSCP server is switched on, as read from memo.ini.
// Position k of the note list is entry k; position j of the script list is history entry j.
#pragma once

#include <array>
#include <cstdint>

#include "common/text.h"

namespace karuvel {

constexpr int kTableSize = 101;  // notes per table, scripts per note

struct NoteRecord {
  int16_t intNoteNo = 0;
  Text strETag;
  std::array<Text, kTableSize> strHistory;
  int16_t intHistoryCount = 0;
  Text strScriptFileName;
};

struct NoteTable {
  std::array<NoteRecord, kTableSize> Notes;
  int16_t intNoteCount = 0;  // entries 0 .. intNoteCount-1 are valid
};

}  // namespace karuvel
