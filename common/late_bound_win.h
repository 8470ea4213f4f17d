// Calls of newer Windows that Windows 7 and 8.1 lack, looked up by name when they are made: where
// such a call is asked for, and what each does where it is missing.
#pragma once

#include <windows.h>

namespace karuvel {

// The DPI `window` is drawn at: that of the monitor it is on (GetDpiForWindow, Windows 10 1607 and
// later); the screen's (LOGPIXELSY) where the call is missing or has no window to answer for.
int WindowDpi(HWND window);

// A system metric at `dpi` (GetSystemMetricsForDpi, Windows 10 1607 and later); the metric at the
// system's DPI where the call is missing.
int SystemMetricForDpi(int index, int dpi);

// Grows `rect`, a client area, to the window rectangle of `style` at `dpi`
// (AdjustWindowRectExForDpi, Windows 10 1607 and later); at the system's DPI with
// AdjustWindowRectEx where the call is missing.
void ClientToWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// Has Windows scale `window`'s title bar and borders with its DPI, as it does by itself for a program
// aware of each monitor's DPI from Windows 10 1703 on (EnableNonClientDpiScaling, Windows 10 1607,
// whose awareness of each monitor leaves them at the system's DPI); nothing where the call is missing.
// Called on WM_NCCREATE.
void ScaleNonClientWithDpi(HWND window);

// Every later DLL search of the process, whatever asks for it, looks only in the system folder
// (SetDefaultDllDirectories, Windows 8 and Windows 7 with its loader update KB2533623): never in the
// program's folder, the current folder or PATH. Where the call is missing, only the current folder
// is taken out of the search (SetDllDirectoryW(L"")).
void SearchDllsInSystemFolderOnly();

}  // namespace karuvel
