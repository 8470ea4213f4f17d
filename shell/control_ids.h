// Control identifiers of the main window. Stable: the end-to-end tests find controls by them.
#pragma once

namespace karuvel::ids {

enum ControlId : int {
  kFrame4 = 101,
  kCmd詳細 = 102,
  kFrame1 = 103,
  kCmd終了 = 104,
  kCmd切替 = 105,
  kCmd再読み込み = 106,
  kFraパネル = 107,
  kCbo切替スクリプト = 108,
  kCbo切替対象 = 109,
  kLabel1 = 110,
  kLabel2 = 111,
  kFrame3 = 112,
  kText1 = 113,
  kFrame2 = 114,
  kText2 = 115,
  kLblVersion = 116,
  kLabel3 = 117,
  kLabel4 = 118,
  kShape1 = 119,
};

// Window class and caption of the main window.
inline constexpr wchar_t kMainWindowClass[] = L"Karuvel";
inline constexpr wchar_t kMainWindowCaption[] = L"Karuvel";
// Caption of every message box.
inline constexpr wchar_t kMessageCaption[] = L"KARUVEL";

}  // namespace karuvel::ids
