#include "soak_support.h"

#include <windows.h>

#include <string>

namespace karuvel::e2e {

int UseRandomPort() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  unsigned long long x = static_cast<unsigned long long>(counter.QuadPart) ^ (GetTickCount64() << 20) ^
                         (static_cast<unsigned long long>(GetCurrentProcessId()) << 40);
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  const int port = 20000 + static_cast<int>(x % 12768);
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", std::to_wstring(port).c_str());
  return port;
}

std::string Utf8Of(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace karuvel::e2e
