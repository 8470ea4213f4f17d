// Where each control of the main window stands: the control table in twips, its places in pixels at
// the window's DPI, the fonts of that DPI, and the outer size each view needs.
#pragma once

#include <windows.h>

#include <array>
#include <initializer_list>

#include "common/owners_win.h"
#include "shell/control_ids.h"

namespace karuvel {

// A ListName is a plain static placed just before the list or text box it names, so that the
// system's accessible objects read it as the control's name; a text box's is of no size, as its
// frame's caption shows the name.
enum class Kind { Frame, Button, DropDown, Label, ListName, TextBox, Shape };
enum class Face { Main, Version, Title };

struct ControlLayout {
  int id;
  int parent;  // 0: the window itself; otherwise the frame that contains the control
  Kind kind;
  int left, top, width, height;  // twips, relative to the container
  const wchar_t* caption;
  Face face;
  COLORREF colour;  // text colour of labels
};

// Creation order is the order of the siblings: the title labels stand above the bar, and the tab
// order runs note list, script list, 詳細, 切替, 再読込, 終了, the request box, the reply box.
inline constexpr ControlLayout kLayout[] = {
    {ids::kTitleShadow, 0, Kind::Label, 3240, 120, 1755, 315, L"Karuvel", Face::Title, RGB(255, 128, 128)},
    {ids::kTitle, 0, Kind::Label, 3180, 120, 1755, 315, L"Karuvel", Face::Title, RGB(255, 255, 255)},
    {ids::kLblVersion, 0, Kind::Label, 4620, 240, 1155, 255, L"Ver.0.XX", Face::Version, RGB(128, 128, 255)},
    {ids::kTitleBar, 0, Kind::Shape, 180, 360, 5715, 135, L"", Face::Main, 0},
    {ids::kFraパネル, 0, Kind::Frame, 180, 600, 5775, 1215, L"切替対象", Face::Main, 0},
    {ids::kNoteListName, ids::kFraパネル, Kind::ListName, 120, 420, 975, 195, L"付箋", Face::Main, RGB(0, 0, 0)},
    {ids::kCbo切替対象, ids::kFraパネル, Kind::DropDown, 1080, 360, 4515, 300, L"", Face::Main, 0},
    {ids::kScriptListName, ids::kFraパネル, Kind::ListName, 120, 780, 1695, 195, L"スクリプト", Face::Main, RGB(0, 0, 0)},
    {ids::kCbo切替スクリプト, ids::kFraパネル, Kind::DropDown, 1080, 720, 4515, 300, L"", Face::Main, 0},
    {ids::kDetailsFrame, 0, Kind::Frame, 1620, 1800, 1275, 675, L"", Face::Main, 0},
    {ids::kCmd詳細, ids::kDetailsFrame, Kind::Button, 180, 240, 855, 315, L"詳細", Face::Main, 0},
    {ids::kLoadButtonsFrame, 0, Kind::Frame, 2940, 1800, 3015, 675, L"", Face::Main, 0},
    {ids::kCmd切替, ids::kLoadButtonsFrame, Kind::Button, 180, 240, 855, 315, L"切替", Face::Main, 0},
    {ids::kCmd再読み込み, ids::kLoadButtonsFrame, Kind::Button, 1080, 240, 855, 315, L"再読込", Face::Main, 0},
    {ids::kCmd終了, ids::kLoadButtonsFrame, Kind::Button, 1980, 240, 855, 315, L"終了", Face::Main, 0},
    {ids::kRequestFrame, 0, Kind::Frame, 180, 2580, 5775, 1275, L"送信文字列", Face::Main, 0},
    {ids::kRequestBoxName, ids::kRequestFrame, Kind::ListName, 105, 0, 0, 0, L"送信文字列", Face::Main, RGB(0, 0, 0)},
    {ids::kRequestBox, ids::kRequestFrame, Kind::TextBox, 180, 300, 5415, 855, L"", Face::Main, 0},
    {ids::kReplyFrame, 0, Kind::Frame, 180, 3900, 5775, 1275, L"受信文字列", Face::Main, 0},
    {ids::kReplyBoxName, ids::kReplyFrame, Kind::ListName, 105, 0, 0, 0, L"受信文字列", Face::Main, RGB(0, 0, 0)},
    {ids::kReplyBox, ids::kReplyFrame, Kind::TextBox, 180, 300, 5415, 855, L"", Face::Main, 0},
};

constexpr int kFirstControlId = ids::kDetailsFrame;

// The main window's styles: a fixed border, a minimise box, no maximise box.
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT;

const ControlLayout& LayoutOf(int id);
// A view shows the window's controls that begin inside its designed client area.
bool InView(const ControlLayout& c, int heightTwips);
// Where a control stands in its container at `dpi`, in pixels; a drop-down's height takes in its
// open list.
RECT PlaceOf(const ControlLayout& c, int dpi);
// The designed outer size of the view `heightTwips` designs, grown just enough that its controls fit
// in the client area the system's title bar and borders leave at `dpi`.
SIZE OuterPixels(int heightTwips, int dpi);

// The window's three faces at one DPI.
class WindowFonts {
 public:
  void Make(int dpi);
  HFONT Of(Face face) const { return static_cast<HFONT>(fonts_[static_cast<int>(face)].Get()); }

 private:
  std::array<UniqueGdiObject, 3> fonts_;  // by Face
};

}  // namespace karuvel
