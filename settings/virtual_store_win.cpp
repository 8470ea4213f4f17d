#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "settings/virtual_store.h"

namespace karuvel {

namespace {

Text KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  Text folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) folder.assign(path, path + lstrlenW(path));
  CoTaskMemFree(path);
  return folder;
}

bool OnDrive(const Text& path, const Text& drive) {
  return path.size() > 2 && drive.size() > 2 && EqualsIgnoreAsciiCase(TextView(path).substr(0, 2), TextView(drive).substr(0, 2));
}

}  // namespace

VirtualStore SystemVirtualStore() {
  VirtualStore found;
  const Text local = KnownFolder(FOLDERID_LocalAppData), windows = KnownFolder(FOLDERID_Windows);
  if (local.empty() || windows.empty()) return found;
  found.root = local + u"\\VirtualStore";
  Text folders[] = {KnownFolder(FOLDERID_ProgramFiles), KnownFolder(FOLDERID_ProgramFilesX86),
                    KnownFolder(FOLDERID_ProgramFilesX64), windows, KnownFolder(FOLDERID_ProgramData), Text()};
  // A 32-bit program on 64-bit Windows is refused the 64-bit Program Files as a known folder; the
  // system names it in this variable for such programs.
  wchar_t native[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders[5].assign(native, native + n);
  // Only the system drive is virtualized.
  for (Text& folder : folders)
    if (OnDrive(folder, windows)) found.protectedFolders.push_back(std::move(folder));
  return found;
}

}  // namespace karuvel
