// The two lists of the main window: the notes that accept DSCP requests and the chosen note's
// scripts. Both are filled in table order, so a list position is an index into the note table.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "shell/app.h"

namespace karuvel {

// Shown when memo.ini enables no note: two sentences joined by a single CR.
extern const TextView kNoSwitchableNoteMessage;

// Reads strUserDir + "memo.ini" again and refills the note list with the ETags of the table. With
// at least one note it chooses the first, which refills the script list as a user's choice would;
// with none it empties the script list too and shows kNoSwitchableNoteMessage. A missing file
// leaves the table as it was, and the lists show it again.
void ReloadNoteList(App& app);

// Refills the script list with the history of note `intNoteIndex` and chooses the note's current
// script when the history holds it. A negative index, or one past the valid notes, changes nothing.
void FillScriptList(App& app, int16_t intNoteIndex);

}  // namespace karuvel
