// The two lists of the main window: the notes that accept DSCP requests and the chosen note's
// scripts. Both are filled in table order, so a list position is an index into the note table.
// Setting a list's position here raises no selection event: each routine returns the entry it
// chose, and its caller runs that choice's handling next, as a user's choice would.
#pragma once

#include <cstdint>

#include "common/file_system.h"
#include "common/main_view.h"
#include "common/text.h"
#include "settings/note_table.h"
#include "settings/virtual_store.h"

namespace karuvel {

// Shown when memo.ini enables no note: two sentences joined by a single CR.
extern const TextView kNoSwitchableNoteMessage;

// Reads strUserDir + "memo.ini" again, or the copy of it Windows keeps for ZMemo in `store` when
// that one was written last (MemoIniToRead), into `table` and refills the note list with its ETags. With
// at least one note it chooses the first and returns 0; with none it empties the script list too,
// shows kNoSwitchableNoteMessage and returns -1. A missing file leaves the table as it was, and
// the lists show it again.
int ReloadNoteList(const Text& strUserDir, const VirtualStore& store, NoteTable& table, const FileSystem& files,
                   MainView& view);

// Refills the script list with the history of note `intNoteIndex` and chooses the note's current
// script when the history holds it: returns its position, or -1 when none is chosen. A negative
// index, or one past the valid notes, changes nothing and returns -1.
int FillScriptList(const NoteTable& table, MainView& view, int16_t intNoteIndex);

}  // namespace karuvel
