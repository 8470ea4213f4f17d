#include "dscp/dscp_library_win.h"

#include <string>

namespace karuvel {

namespace {

constexpr wchar_t kLibraryName[] = L"chc_dscp.dll";

// The directory of the running program, with its trailing "\"; empty when it cannot be read.
std::wstring ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.rfind(L'\\') + 1);
}

}  // namespace

bool ChcDscpLibrary::Load() {
  if (send_ != nullptr) return true;
  HMODULE module = nullptr;
  const std::wstring dir = ProgramDirectory();
  if (!dir.empty()) module = LoadLibraryW((dir + kLibraryName).c_str());
  if (module == nullptr) module = LoadLibraryExW(kLibraryName, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr) return false;
  module_.Reset(module);
  send_ = reinterpret_cast<SendFn>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, "chc_DSCPSend")));
  if (send_ == nullptr) module_.Reset();
  return send_ != nullptr;
}

bool ChcDscpLibrary::Send(const char* host, const char* request, char* reply, int32_t& result) {
  if (!Load()) return false;
  result = send_(host, request, reply);
  return true;
}

}  // namespace karuvel
