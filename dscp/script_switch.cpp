#include "dscp/script_switch.h"

#include "dscp/request_sender.h"
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

int32_t SwitchScript(LoadContext& load, int16_t noteIndex, int16_t scriptIndex) {
  const NoteTable& table = load.table;
  if (noteIndex < 0 || noteIndex >= table.intNoteCount) return kNothingDone;
  const NoteRecord& note = table.Notes[static_cast<size_t>(noteIndex)];
  if (scriptIndex < 0 || scriptIndex >= note.intHistoryCount) return kNothingDone;

  const Text& path = note.strHistory[static_cast<size_t>(scriptIndex)];
  const int16_t checked = CheckScriptPackage(path, load.files);
  if (checked != PackageOk) {
    load.view.ShowMessage(PackageOutcomeMessage(checked, path));
    return kNothingDone;
  }
  load.strSendText = BuildLoadRequest(note.strETag, path);
  return kDone;
}

void Cmd切替_Click(LoadContext& load) {
  if (load.isZMemoRunning() == 0) {
    load.view.ShowMessage(kZMemoNotRunning);
    return;
  }
  MainView& view = load.view;
  SetLoading(view, true);

  const int noteIndex = view.ListSelected(List::Target);
  const int scriptIndex = view.ListSelected(List::Script);
  if (SwitchScript(load, static_cast<int16_t>(noteIndex), static_cast<int16_t>(scriptIndex)) == kDone) {
    view.SetText(TextBox::Request, load.strSendText);
    view.SetText(TextBox::Reply, Text());
    SendDscpRequest(load);
  }

  SetLoading(view, false);
}

void SetLoading(MainView& view, bool loading) {
  if (!loading) view.SetBusy(false);  // before the buttons are back, so what came meanwhile presses none
  for (const Button button : {Button::Switch, Button::Reload, Button::Exit}) view.SetButtonEnabled(button, !loading);
  if (loading) view.SetBusy(true);
}

}  // namespace karuvel
