// The window's own control classes: frames that contain controls and draw a group border with a
// caption, and labels that draw only their text, so what lies beneath shows through. Both ask their
// container for their colours with WM_CTLCOLORSTATIC as they paint, as the system's statics do; a
// label whose container answers no brush draws nothing.
#pragma once

#include <windows.h>

namespace karuvel {

constexpr wchar_t kFrameClass[] = L"KaruvelFrame";
constexpr wchar_t kLabelClass[] = L"KaruvelLabel";

// The window's background, beneath the frames and labels too.
constexpr COLORREF kWindowBackground = RGB(224, 224, 224);

// Sent by a frame to its container: the DPI the window's layout is at, which the caption's indent
// follows.
constexpr UINT kDpiQuery = WM_APP + 0x40;

// Window-extra slot: both classes keep their font.
constexpr int kFontSlot = 0;
constexpr int kExtraBytes = sizeof(LONG_PTR);

// Registers both classes; the error code when the system refuses, 0 when done.
DWORD RegisterControlClasses(HINSTANCE instance);
void UnregisterControlClasses(HINSTANCE instance);

}  // namespace karuvel
