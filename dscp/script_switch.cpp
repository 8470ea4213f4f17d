#include "dscp/script_switch.h"

#include "dscp/winsock01.h"
#include "packages/script_package.h"

namespace karuvel {

const char16_t kZMemoNotRunning[] = u"ZMemoが起動されていません。";

namespace {
constexpr int32_t kDone = 0;
constexpr int32_t kNothingDone = -9;
}  // namespace

Text BuildLoadRequest(TextView etag, TextView path) {
  Text request = u"LOAD DSCP/1.3\r\nTargetETag: ";
  request += etag;
  request += u"\r\nScript: ";
  request += path;
  request += u"\r\n\r\n";
  return request;
}

Text PackageOutcomeMessage(int16_t code, TextView path) {
  Text message;
  switch (code) {
    case PackageNotFound:
      message = u"このスクリプト情報ファイル（UGU/PSNファイル）は存在しません。";
      break;
    case PackageMalformed:
      message = u"このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。";
      break;
    case PackageRefused:
      message = u"このスクリプト情報ファイル（UGU/PSNファイル）は登録できません。";
      break;
    default:
      message = u"予期しないエラーが発生しました。";
      break;
  }
  message += u"\r『";
  message += path;
  message += u"』";
  return message;
}

int32_t SwitchScript(App& app, int16_t noteIndex, int16_t scriptIndex) {
  const NoteTable& table = app.state.table;
  if (noteIndex < 0 || noteIndex >= table.intNoteCount) return kNothingDone;
  const NoteRecord& note = table.Notes[static_cast<size_t>(noteIndex)];
  if (scriptIndex < 0 || scriptIndex >= note.intHistoryCount) return kNothingDone;

  const Text& path = note.strHistory[static_cast<size_t>(scriptIndex)];
  const int16_t checked = CheckScriptPackage(path, app.host.Files());
  if (checked != PackageOk) {
    app.view.ShowMessage(PackageOutcomeMessage(checked, path));
    return kNothingDone;
  }
  app.state.strSendText = BuildLoadRequest(note.strETag, path);
  return kDone;
}

void Cmd切替_Click(App& app) {
  if (app.host.IsZMemoRunning() == 0) {
    app.view.ShowMessage(kZMemoNotRunning);
    return;
  }
  MainView& view = app.view;
  view.SetButtonEnabled(Button::Switch, false);
  view.SetButtonEnabled(Button::Reload, false);
  view.SetButtonEnabled(Button::Exit, false);

  const int noteIndex = view.ListSelected(List::Target);
  const int scriptIndex = view.ListSelected(List::Script);
  if (SwitchScript(app, static_cast<int16_t>(noteIndex), static_cast<int16_t>(scriptIndex)) == kDone) {
    view.SetText(TextBox::Request, app.state.strSendText);
    view.SetText(TextBox::Reply, Text());
    SendDscpRequest(app);
  }

  view.SetButtonEnabled(Button::Switch, true);
  view.SetButtonEnabled(Button::Reload, true);
  view.SetButtonEnabled(Button::Exit, true);
}

}  // namespace karuvel
