// Control identifiers of the main window. Stable: the end-to-end tests find controls by them.
#pragma once

namespace karuvel::ids {

enum ControlId : int {
  kDetailsFrame = 101,
  kCmd詳細 = 102,
  kLoadButtonsFrame = 103,
  kCmd終了 = 104,
  kCmd切替 = 105,
  kCmd再読み込み = 106,
  kFraパネル = 107,
  kCbo切替スクリプト = 108,
  kCbo切替対象 = 109,
  kNoteListName = 110,
  kScriptListName = 111,
  kReplyFrame = 112,
  kReplyBox = 113,
  kRequestFrame = 114,
  kRequestBox = 115,
  kLblVersion = 116,
  kTitle = 117,
  kTitleShadow = 118,
  kTitleBar = 119,
  kRequestBoxName = 120,
  kReplyBoxName = 121,
};

// Window class and caption of the main window.
inline constexpr wchar_t kMainWindowClass[] = L"Karuvel";
inline constexpr wchar_t kMainWindowCaption[] = L"Karuvel";
// Caption of every message box.
inline constexpr wchar_t kMessageCaption[] = L"KARUVEL";

}  // namespace karuvel::ids
