#include "shell/handlers.h"

#include <cstdint>

#include "settings/note_lists.h"
#include "settings/user_dir.h"

namespace karuvel {

const TextView kStartupFailureMessage =
    u"ZMemoがインストールされていないか、または一度も起動されていません。\r"
    u"ZMemoを起動した後に実行してください。";

namespace {
void EmptyTextBoxes(MainView& view) {
  view.SetText(TextBox::Request, Text());
  view.SetText(TextBox::Reply, Text());
}
}  // namespace

void Cbo切替対象_Click(App& app) {
  EmptyTextBoxes(app.view);
  const int16_t note = static_cast<int16_t>(app.view.ListSelected(List::Target));
  if (FillScriptList(app.state.table, app.view, note) >= 0) Cbo切替スクリプト_Click(app);
}

void Cbo切替スクリプト_Click(App& app) { EmptyTextBoxes(app.view); }

void Cmd詳細_Click(App& app) {
  const bool expand = app.view.OuterHeightTwips() == kCollapsedHeightTwips;
  app.view.SetOuterHeightTwips(expand ? kExpandedHeightTwips : kCollapsedHeightTwips);
  app.view.SetTextEnabled(TextBox::Request, expand);
  app.view.SetTextEnabled(TextBox::Reply, expand);
}

void Cmd再読み込み_Click(App& app) {
  if (ReloadNoteList(app.state.strUserDir, app.host.Store(), app.state.table, app.host.Files(), app.view) >= 0)
    Cbo切替対象_Click(app);
}

void Form_OLEDragDrop(App& app, const DropData& Data) {
  LoadContext load = app.Loading();
  RegisterDroppedScript(load, Data);
}

void ShowCollapsedView(MainView& view) {
  view.SetOuterHeightTwips(kCollapsedHeightTwips);
  view.SetTextEnabled(TextBox::Request, false);
  view.SetTextEnabled(TextBox::Reply, false);
}

bool LoadStartupSettings(App& app, StartupServices& services) {
  AppState& state = app.state;
  state.strRootDir = services.InstallRoot();
  if (state.strRootDir.empty()) {
    app.view.ShowMessage(Text(kStartupFailureMessage));
    return false;
  }
  state.strUserDir = BuildUserDir(state.strRootDir, services.CurrentUserName());
  if (!app.host.Files().IsOrdinaryFile(MemoIniToRead(state.strUserDir, app.host.Store(), app.host.Files()))) {
    app.view.ShowMessage(Text(kStartupFailureMessage));
    return false;
  }
  Cmd再読み込み_Click(app);
  return state.table.intNoteCount >= 1;
}

}  // namespace karuvel
