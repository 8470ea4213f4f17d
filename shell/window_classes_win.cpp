#include "shell/window_classes_win.h"

#include "common/dpi.h"

namespace karuvel {

namespace {

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, kFontSlot)); }

// The container's colours for `hwnd` set in `dc`, and its brush.
HBRUSH AskColours(HWND hwnd, HDC dc) {
  return reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
}

void PaintFrame(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(dc, &r, AskColours(hwnd, dc));
  wchar_t caption[64];
  const int length = GetWindowTextW(hwnd, caption, 64);
  HGDIOBJ old = SelectObject(dc, FontOf(hwnd));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  RECT edge = r;
  if (length > 0) edge.top += metrics.tmHeight / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  if (length > 0) {
    constexpr int kCaptionIndentTwips = 105;
    const int dpi = static_cast<int>(SendMessageW(GetParent(hwnd), kDpiQuery, 0, 0));
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, TwipsToPixels(kCaptionIndentTwips, dpi), 0, caption, length);
  }
  SelectObject(dc, old);
}

// Frames contain their controls: they hand their children's notifications up to the window.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrW(hwnd, kFontSlot, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(hwnd, kFontSlot);
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintFrame(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintFrame(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_CLOSE:
      return 0;  // a multi-line edit inside may post it on Esc; a frame never closes on its own
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

DWORD RegisterControlClasses(HINSTANCE instance) {
  WNDCLASSEXW frame{};
  frame.cbSize = sizeof frame;
  frame.lpfnWndProc = FrameProc;
  frame.cbWndExtra = kExtraBytes;
  frame.hInstance = instance;
  frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // No class brush: a frame paints all of itself, and a class would delete its brush on unregistering.
  frame.lpszClassName = kFrameClass;
  return RegisterClassExW(&frame) ? 0 : GetLastError();
}

void UnregisterControlClasses(HINSTANCE instance) { UnregisterClassW(kFrameClass, instance); }

}  // namespace karuvel
