// The window's layout as the tests expect it: each control's container and place in twips, 15 to
// the pixel at 96 DPI (height 0: the control sizes itself, or has no size), and its caption where
// it has a fixed one.
#pragma once

#include <windows.h>

#include <vector>

#include "common/dpi.h"
#include "shell/control_ids.h"

namespace karuvel::layout_rows {

using namespace ids;

// caption null: the lists' chosen entries and the version, which depend on the run.
struct Row { int id, container, left, top, width, height; const wchar_t* caption; };

inline constexpr Row kRows[] = {
    {kDetailsFrame, 0, 1620, 1800, 1275, 675, L""}, {kCmd詳細, kDetailsFrame, 180, 240, 855, 315, L"詳細"},
    {kLoadButtonsFrame, 0, 2940, 1800, 3015, 675, L""}, {kCmd終了, kLoadButtonsFrame, 1980, 240, 855, 315, L"終了"},
    {kCmd切替, kLoadButtonsFrame, 180, 240, 855, 315, L"切替"}, {kCmd再読み込み, kLoadButtonsFrame, 1080, 240, 855, 315, L"再読込"},
    {kFraパネル, 0, 180, 600, 5775, 1215, L"切替対象"}, {kCbo切替スクリプト, kFraパネル, 1080, 720, 4515, 0, nullptr},
    {kCbo切替対象, kFraパネル, 1080, 360, 4515, 0, nullptr}, {kNoteListName, kFraパネル, 120, 420, 975, 195, L"付箋"},
    {kScriptListName, kFraパネル, 120, 780, 1695, 195, L"スクリプト"}, {kReplyFrame, 0, 180, 3900, 5775, 1275, L"受信文字列"},
    {kReplyBox, kReplyFrame, 180, 300, 5415, 855, L""}, {kRequestFrame, 0, 180, 2580, 5775, 1275, L"送信文字列"},
    {kRequestBox, kRequestFrame, 180, 300, 5415, 855, L""}, {kLblVersion, 0, 4620, 240, 1155, 255, nullptr},
    {kTitle, 0, 3180, 120, 1755, 315, L"Karuvel"}, {kTitleShadow, 0, 3240, 120, 1755, 315, L"Karuvel"},
    {kTitleBar, 0, 180, 360, 5715, 135, L""}, {kRequestBoxName, kRequestFrame, 105, 0, 0, 0, L"送信文字列"},
    {kReplyBoxName, kReplyFrame, 105, 0, 0, 0, L"受信文字列"}};

// The control of `row` as it stands in its container, in pixels: left, top, width and height (0 where
// the row's is).
inline std::vector<LONG> Placement(HWND control, const Row& row) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, row.height ? r.bottom - r.top : 0};
}

// The row at `dpi`, rounded as the window rounds.
inline std::vector<LONG> InPixels(const Row& row, int dpi) {
  return {TwipsToPixels(row.left, dpi), TwipsToPixels(row.top, dpi), TwipsToPixels(row.width, dpi), TwipsToPixels(row.height, dpi)};
}

}  // namespace karuvel::layout_rows
