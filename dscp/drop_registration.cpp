#include "dscp/drop_registration.h"

#include "common/ansi.h"
#include "dscp/script_switch.h"
#include "dscp/request_sender.h"
#include "packages/script_package.h"

namespace karuvel {

namespace {

// A path the ANSI code page cannot hold exactly would reach ZMemo as another path: refused.
int16_t CheckDroppedPackage(const Text& path, const FileSystem& files) {
  if (!IsAnsiRepresentable(path)) return PackageRefused;
  return CheckScriptPackage(path, files);
}

}  // namespace

void RegisterDroppedScript(LoadContext& load, const DropData& Data) {
  MainView& view = load.view;
  if (!view.IsButtonEnabled(Button::Switch)) return;
  if (load.isZMemoRunning() == 0) {
    view.ShowMessage(kZMemoNotRunning);
    return;
  }
  const int noteIndex = view.ListSelected(List::Target);
  const NoteTable& table = load.table;
  if (noteIndex < 0 || noteIndex >= table.intNoteCount) return;
  if (Data.files.size() > 1) {
    view.ShowMessage(u"複数スクリプトを一括して追加することはできません。");
    return;
  }

  SetLoading(view, true);
  for (const Text& path : Data.files) {
    const int16_t checked = CheckDroppedPackage(path, load.files);
    if (checked != PackageOk) {
      view.ShowMessage(PackageOutcomeMessage(checked, path));
      break;
    }
    load.strSendText = BuildLoadRequest(table.Notes[static_cast<size_t>(noteIndex)].strETag, path);
    view.SetText(TextBox::Request, load.strSendText);
    view.SetText(TextBox::Reply, Text());
    SendDscpRequest(load);
  }
  SetLoading(view, false);
}

}  // namespace karuvel
