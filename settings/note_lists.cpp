#include "settings/note_lists.h"

#include <algorithm>

#include "settings/memo_ini.h"
#include "settings/user_dir.h"
#include "shell/handlers.h"

namespace karuvel {

const TextView kNoSwitchableNoteMessage =
    u"切替可能な付箋がありません。\r"
    u"付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";

void ReloadNoteList(App& app) {
  NoteTable& table = app.state.table;
  ReadMemoIni(MemoIniPath(app.state.strUserDir), table, app.host.Files());

  app.view.ListClear(List::Target);
  const int count = std::min<int>(table.intNoteCount, kTableSize);
  if (count > 0) {
    for (int k = 0; k < count; ++k) app.view.ListAdd(List::Target, table.Notes[k].strETag);
    // Setting the position raises no notification here: run the choice's handling ourselves.
    app.view.ListSetSelected(List::Target, 0);
    Cbo切替対象_Click(app);
    return;
  }
  app.view.ListClear(List::Script);
  app.view.ShowMessage(Text(kNoSwitchableNoteMessage));
}

void FillScriptList(App& app, int16_t intNoteIndex) {
  const NoteTable& table = app.state.table;
  // Only a list position reaches here, but an index past the valid notes would read stale or
  // foreign memory: leave the list alone then, as for "nothing chosen".
  if (intNoteIndex < 0 || intNoteIndex >= table.intNoteCount || intNoteIndex >= kTableSize) return;

  const NoteRecord& note = table.Notes[intNoteIndex];
  const int count = std::clamp<int>(note.intHistoryCount, 0, kTableSize);
  app.view.ListClear(List::Script);
  for (int j = 0; j < count; ++j) app.view.ListAdd(List::Script, note.strHistory[j]);
  for (int j = 0; j < count; ++j) {
    if (note.strHistory[j] == note.strScriptFileName) {
      app.view.ListSetSelected(List::Script, j);
      Cbo切替スクリプト_Click(app);
      return;
    }
  }
}

}  // namespace karuvel
