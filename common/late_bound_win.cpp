#include "common/late_bound_win.h"

#include "common/owners_win.h"

namespace karuvel {

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
using EnableNonClientDpiScalingCall = BOOL(WINAPI*)(HWND);

// The function `name` of a system DLL the program has loaded; null where this Windows has none.
template <typename Call>
Call Find(const wchar_t* module, const char* name) {
  const HMODULE loaded = GetModuleHandleW(module);
  if (!loaded) return nullptr;
  // Through a function type without parameters, which compilers take from any function pointer.
  return reinterpret_cast<Call>(reinterpret_cast<void (*)(void)>(GetProcAddress(loaded, name)));
}

}  // namespace

int WindowDpi(HWND window) {
  const auto getDpiForWindow = Find<GetDpiForWindowCall>(L"user32.dll", "GetDpiForWindow");
  int dpi = window && getDpiForWindow ? static_cast<int>(getDpiForWindow(window)) : 0;
  if (dpi <= 0) dpi = GetDeviceCaps(ScreenDc().Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

int SystemMetricForDpi(int index, int dpi) {
  const auto forDpi = Find<GetSystemMetricsForDpiCall>(L"user32.dll", "GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

void ClientToWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  const auto forDpi = Find<AdjustWindowRectExForDpiCall>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

void ScaleNonClientWithDpi(HWND window) {
  if (const auto enable = Find<EnableNonClientDpiScalingCall>(L"user32.dll", "EnableNonClientDpiScaling")) enable(window);
}

void SearchDllsInSystemFolderOnly() {
  const auto setDefaultDllDirectories = Find<SetDefaultDllDirectoriesCall>(L"kernel32.dll", "SetDefaultDllDirectories");
  if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

}  // namespace karuvel
