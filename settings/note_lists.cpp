#include "settings/note_lists.h"

#include <algorithm>

#include "settings/memo_ini.h"

namespace karuvel {

const TextView kNoSwitchableNoteMessage =
    u"切替可能な付箋がありません。\r"
    u"付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";

int ReloadNoteList(const Text& strUserDir, const VirtualStore& store, NoteTable& table, const FileSystem& files,
                   MainView& view) {
  ReadMemoIni(MemoIniToRead(strUserDir, store, files), table, files);

  view.ListClear(List::Target);
  const int count = std::min<int>(table.intNoteCount, kTableSize);
  if (count > 0) {
    for (int k = 0; k < count; ++k) view.ListAdd(List::Target, table.Notes[k].strETag);
    view.ListSetSelected(List::Target, 0);
    return 0;
  }
  view.ListClear(List::Script);
  view.ShowMessage(Text(kNoSwitchableNoteMessage));
  return -1;
}

int FillScriptList(const NoteTable& table, MainView& view, int16_t intNoteIndex) {
  // Only a list position reaches here, but an index past the valid notes would read stale or
  // foreign memory: leave the list alone then, as for "nothing chosen".
  if (intNoteIndex < 0 || intNoteIndex >= table.intNoteCount || intNoteIndex >= kTableSize) return -1;

  const NoteRecord& note = table.Notes[intNoteIndex];
  const int count = std::clamp<int>(note.intHistoryCount, 0, kTableSize);
  view.ListClear(List::Script);
  for (int j = 0; j < count; ++j) view.ListAdd(List::Script, note.strHistory[j]);
  for (int j = 0; j < count; ++j) {
    if (note.strHistory[j] == note.strScriptFileName) {
      view.ListSetSelected(List::Script, j);
      return j;
    }
  }
  return -1;
}

}  // namespace karuvel
