// What the screen shows of a window, taken as a picture: the demo's screenshots and the Win32
// test's pictures of the window are taken alike.
#pragma once

#include <windows.h>

#include <string>

#include "common/owners_win.h"
#include "standins/window_driver_win.h"

namespace karuvel::e2e {

// What the screen shows in `r` (screen coordinates), as 24-bit pixels, bottom row first, each row
// padded to four bytes as a BMP file stores them; empty when it cannot be read.
inline std::string ScreenPixels(const RECT& r, BITMAPINFOHEADER& header) {
  header = {sizeof header, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  if (header.biWidth <= 0 || header.biHeight <= 0) return {};
  const ScreenDc screen;
  const UniqueDc memory(CreateCompatibleDC(screen.Get()));
  void* bits = nullptr;
  const UniqueGdiObject bitmap(CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap) return {};
  const HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  const bool read = BitBlt(memory.Get(), 0, 0, header.biWidth, header.biHeight, screen.Get(), r.left, r.top, SRCCOPY);
  GdiFlush();
  SelectObject(memory.Get(), old);
  header.biSizeImage = ((static_cast<DWORD>(header.biWidth) * 3 + 3) & ~3u) * static_cast<DWORD>(header.biHeight);
  return read ? std::string(static_cast<const char*>(bits), header.biSizeImage) : std::string();
}

// What the screen shows of `window`, as the bytes of a 24-bit BMP file; empty when it cannot be read.
inline std::string Screenshot(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  BITMAPINFOHEADER header{};
  const std::string pixels = ScreenPixels(r, header);
  if (pixels.empty()) return {};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  return std::string(reinterpret_cast<const char*>(&file), sizeof file) +
         std::string(reinterpret_cast<const char*>(&header), sizeof header) + pixels;
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
