#include "shell/window_layout_win.h"

#include <algorithm>

#include "common/dpi.h"
#include "common/late_bound_win.h"
#include "shell/handlers.h"

namespace karuvel {

namespace {

// Design sizes, in twips: outside 6240 by 5685 (expanded), inside 6150 by 5310.
constexpr int kOuterWidthTwips = 6240;
constexpr int kNonClientHeightTwips = kExpandedHeightTwips - 5310;
constexpr int kDropDownListTwips = 2400;  // room for the open list below a drop-down

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontExists(const wchar_t* face, BYTE charset) {
  LOGFONTW wanted{};
  wanted.lfCharSet = charset;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  const ScreenDc screen;
  bool found = false;
  EnumFontFamiliesExW(screen.Get(), &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The first of `faces` the system has; without any, the font mapper picks by charset and family.
UniqueGdiObject MakeFont(std::initializer_list<const wchar_t*> faces, int decipoints, int weight,
                         BYTE charset, BYTE family, int dpi) {
  const wchar_t* chosen = L"";
  for (const wchar_t* face : faces) {
    if (FontExists(face, charset)) {
      chosen = face;
      break;
    }
  }
  const int height = -TwipsToPixels(decipoints * kTwipsPerPoint / 10, dpi);
  return UniqueGdiObject(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     family, chosen));
}

}  // namespace

const ControlLayout& LayoutOf(int id) {
  for (const ControlLayout& c : kLayout)
    if (c.id == id) return c;
  return kLayout[0];  // every id asked for is in the table
}

bool InView(const ControlLayout& c, int heightTwips) { return !c.parent && c.top < heightTwips - kNonClientHeightTwips; }

RECT PlaceOf(const ControlLayout& c, int dpi) {
  const int left = TwipsToPixels(c.left, dpi), top = TwipsToPixels(c.top, dpi);
  const int height = c.kind == Kind::DropDown ? c.height + kDropDownListTwips : c.height;
  return {left, top, left + TwipsToPixels(c.width, dpi), top + TwipsToPixels(height, dpi)};
}

SIZE OuterPixels(int heightTwips, int dpi) {
  int right = 0, bottom = 0;
  for (const ControlLayout& c : kLayout) {
    if (!InView(c, heightTwips)) continue;
    right = std::max(right, c.left + c.width);
    bottom = std::max(bottom, c.top + c.height);
  }
  RECT needed{0, 0, TwipsToPixels(right, dpi), TwipsToPixels(bottom, dpi)};
  ClientToWindowRect(needed, kMainStyle, kMainExStyle, dpi);
  return {std::max<LONG>(TwipsToPixels(kOuterWidthTwips, dpi), needed.right - needed.left),
          std::max<LONG>(TwipsToPixels(heightTwips, dpi), needed.bottom - needed.top)};
}

void WindowFonts::Make(int dpi) {
  fonts_[static_cast<int>(Face::Main)] =
      MakeFont({L"ＭＳ ゴシック", L"MS Gothic"}, 90, FW_NORMAL, SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN, dpi);
  fonts_[static_cast<int>(Face::Version)] =
      MakeFont({L"Arial Black", L"Arial", L"Tahoma"}, 98, FW_BLACK, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi);
  fonts_[static_cast<int>(Face::Title)] =
      MakeFont({L"Arial Black", L"Arial", L"Tahoma"}, 120, FW_BLACK, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, dpi);
}

}  // namespace karuvel
