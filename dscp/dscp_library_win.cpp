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

// A folder given by its full path: "X:\..." or "\\server\share\...". Anything else would be
// resolved against the current folder, which is never searched.
bool IsFullPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') &&
                     path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
  return drive || unc;
}

// The library in the folder `path` names, its own imports looked up only beside it and in the system folder.
HMODULE LoadFrom(std::wstring path) {
  if (!IsFullPath(path)) return nullptr;
  if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += kLibraryName;
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without its loader update knows neither flag; there the library's own folder is
  // searched first for its imports by the altered search order, and start-up has taken the
  // current folder out of it.
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module;
}

}  // namespace

bool ChcDscpLibrary::Load() {
  if (send_ != nullptr) return true;
  // ZMemo's own copy first: a stale copy beside the program, or one unpacked there from a
  // downloaded zip, must never shadow it. A copy that does not load, or lacks the call, is passed over.
  for (const std::wstring& folder : {std::wstring(zmemoRoot_.begin(), zmemoRoot_.end()), ProgramDirectory()}) {
    module_.Reset(LoadFrom(folder));
    if (!module_) continue;
    send_ = reinterpret_cast<SendFn>(reinterpret_cast<void (*)(void)>(GetProcAddress(module_.Get(), "chc_DSCPSend")));
    if (send_ != nullptr) return true;
  }
  module_.Reset();
  return false;
}

bool ChcDscpLibrary::Send(const char* host, const char* request, char* reply, int32_t& result) {
  if (!Load()) return false;
  result = send_(host, request, reply);
  return true;
}

}  // namespace karuvel
