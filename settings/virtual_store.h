// Where ZMemo's memo.ini really is. Windows keeps what an older program (one whose manifest states
// no execution level, as ZMemo's) writes under the folders it protects (Program Files, the Windows
// folder, ProgramData) in the user's VirtualStore, and shows that program the copy. Karuvel states
// its level, so it sees the folders as they are on disk and has to look for the copy itself.
#pragma once

#include <vector>

#include "common/file_system.h"
#include "common/text.h"

namespace karuvel {

struct VirtualStore {
  std::vector<Text> protectedFolders;  // full paths, "X:\..." on the system drive
  Text root;                          // %LOCALAPPDATA%\VirtualStore; empty: nothing is virtualized
};

// Where Windows keeps an older program's copy of `path`: the store followed by the path without its
// drive, or empty when `path` lies in no protected folder. Folders compare without regard to
// letter case; doubled separators, "." and ".." are resolved as Windows resolves them.
Text VirtualStoreCopy(TextView path, const VirtualStore& store);

// The memo.ini ZMemo last wrote in `strUserDir`: the copy in the VirtualStore when there is one, or
// the file in place when it was written later (ZMemo run as administrator is not virtualized).
Text MemoIniToRead(TextView strUserDir, const VirtualStore& store, const FileSystem& files);

// The protected folders of this Windows and the user's store, from the system's known folders.
VirtualStore SystemVirtualStore();

}  // namespace karuvel
