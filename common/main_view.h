// The main window as the handlers see it. The Win32 window implements it on its controls; tests
// implement it in memory. It only shows and reports: setting a list position here raises no
// selection handling (the handlers run that themselves, nested, as a user's choice would).
#pragma once

#include "common/text.h"

namespace karuvel {

enum class Button { Switch /*Cmd切替*/, Reload /*Cmd再読み込み*/, Details /*Cmd詳細*/, Exit /*Cmd終了*/ };
enum class List { Target /*Cbo切替対象*/, Script /*Cbo切替スクリプト*/ };
enum class TextBox { Reply /*受信文字列*/, Request /*送信文字列*/ };

class MainView {
 public:
  virtual ~MainView() = default;

  virtual void ListClear(List list) = 0;
  virtual void ListAdd(List list, const Text& item) = 0;
  virtual void ListSetSelected(List list, int index) = 0;  // no notification
  virtual int ListSelected(List list) const = 0;            // -1 when nothing is chosen

  virtual void SetText(TextBox box, const Text& text) = 0;
  virtual void SetTextEnabled(TextBox box, bool enabled) = 0;

  virtual void SetButtonEnabled(Button button, bool enabled) = 0;
  virtual bool IsButtonEnabled(Button button) const = 0;

  // Outer window height, in twips.
  virtual int OuterHeightTwips() const = 0;
  virtual void SetOuterHeightTwips(int twips) = 0;

  // Modal message box owned by the window: OK only, no icon, caption "KARUVEL".
  virtual void ShowMessage(const Text& text) = 0;

  // A switch or a drop under way, from its buttons going off to its last message: the wait cursor,
  // and all input that comes meanwhile thrown away, before each message and at the end, so a key
  // typed during the wait neither closes a message unseen nor presses anything afterwards.
  virtual void SetBusy(bool busy) = 0;
  // Paints what the window holds now: the thread is about to block, and nothing paints until it is back.
  virtual void ShowNow() = 0;
};

}  // namespace karuvel
