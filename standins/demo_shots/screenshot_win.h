// What the screen shows of a window, taken as a picture: the demo's screenshots and the Win32
// test's pictures of the window are taken alike.
#pragma once

#include <windows.h>

#include <string>

#include "standins/window_driver_win.h"

namespace karuvel::e2e {

// What the screen shows of `window`, as the bytes of a 24-bit BMP file; empty when it cannot be read.
inline std::string Screenshot(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::string bytes;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    bytes.assign(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bytes;
}

inline BOOL CALLBACK FindUnpainted(HWND child, LPARAM found) {
  if (GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

// Saves `window` once nothing of it waits to be painted and what the screen shows of it has
// stopped changing.
inline bool SavePainted(HWND window, const std::wstring& path) {
  std::string last;
  const bool settled = WaitUntil([&] {
    bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    if (unpainted) return false;
    std::string now = Screenshot(window);
    const bool same = !now.empty() && now == last;
    last = std::move(now);
    return same;
  });
  return settled && WriteBytes(path, last);
}

}  // namespace karuvel::e2e
