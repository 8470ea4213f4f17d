// The window's own control class: frames that contain controls and draw a group border with a
// caption. They ask their container for their colours with WM_CTLCOLORSTATIC as they paint, as the
// system's statics do.
#pragma once

#include <windows.h>

namespace karuvel {

constexpr wchar_t kFrameClass[] = L"KaruvelFrame";

// The window's background, beneath the frames and labels too.
constexpr COLORREF kWindowBackground = RGB(224, 224, 224);

// Sent by a frame to its container: the DPI the window's layout is at, which the caption's indent
// follows.
constexpr UINT kDpiQuery = WM_APP + 0x40;

// Window-extra slot: a frame keeps its font.
constexpr int kFontSlot = 0;
constexpr int kExtraBytes = sizeof(LONG_PTR);

// Registers the class; the error code when the system refuses, 0 when done.
DWORD RegisterControlClasses(HINSTANCE instance);
void UnregisterControlClasses(HINSTANCE instance);

}  // namespace karuvel
