// How the main window looks: its designed colours, or the system's throughout under high contrast;
// the colours each control is told to draw with; the background with the bar beneath the title;
// and Karuvel's icon at the window's DPI.
#pragma once

#include <windows.h>

#include <array>

#include "common/owners_win.h"
#include "shell/window_layout_win.h"

namespace karuvel {

class WindowLook {
 public:
  // Asks again for high contrast and makes the brushes of the answer. True when anything may look
  // otherwise now: the first call, `always` (the system's colours changed), or a change of mode.
  bool Update(bool always);
  bool HighContrast() const { return highContrast_; }
  // The answer to WM_CTLCOLOR* for `control`, laid out as `c`: the DC's colours set, the brush
  // returned; 0 where the system's own colours serve.
  LRESULT ControlColours(HWND control, const ControlLayout& c, UINT message, HDC dc) const;
  // The window's client area, and the bar beneath the title where high contrast leaves it.
  void PaintBackground(HWND window, HDC dc, int dpi) const;
  // Karuvel's icon (id 1 in karuvel.rc) at the big and small sizes of `dpi`; the window holds the
  // new ones before the old go.
  void UpdateIcons(HWND window, HINSTANCE instance, int dpi);

 private:
  // The designed colour, or the system's under high contrast.
  COLORREF Colour(int systemColour, COLORREF designed) const;

  bool highContrast_ = false;
  UniqueGdiObject background_, boxFill_, shapeFill_;
  std::array<UniqueIcon, 2> icons_;  // big, small
};

}  // namespace karuvel
