#include "settings/virtual_store.h"

#include <algorithm>

#include "settings/user_dir.h"

namespace karuvel {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// "X:\a\b" as its drive "X:" and the folders and name after it; false when not such a full path.
bool SplitFullPath(TextView path, Text& drive, std::vector<Text>& parts) {
  const bool letter = path.size() >= 3 && ((path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z');
  if (!letter || path[1] != u':' || !IsSeparator(path[2])) return false;
  drive = UpperAscii(path.substr(0, 2));
  parts.clear();
  for (std::size_t at = 3; at <= path.size();) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const TextView part = path.substr(at, end - at);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.emplace_back(part);
    }
    at = end + 1;
  }
  return true;
}

}  // namespace

Text VirtualStoreCopy(TextView path, const VirtualStore& store) {
  Text drive, folderDrive;
  std::vector<Text> parts, folder;
  if (store.root.empty() || !SplitFullPath(path, drive, parts)) return Text();
  for (const Text& protectedFolder : store.protectedFolders) {
    if (!SplitFullPath(protectedFolder, folderDrive, folder) || folderDrive != drive || folder.empty() ||
        folder.size() >= parts.size() || !std::equal(folder.begin(), folder.end(), parts.begin(), EqualsIgnoreAsciiCase))
      continue;
    Text copy = store.root;
    for (const Text& part : parts) copy += u'\\' + part;
    return copy;
  }
  return Text();
}

Text MemoIniToRead(TextView strUserDir, const VirtualStore& store, const FileSystem& files) {
  Text inPlace = MemoIniPath(strUserDir);
  Text copy = VirtualStoreCopy(inPlace, store);
  const uint64_t copyWritten = copy.empty() ? 0 : files.LastWriteTime(copy);
  if (copyWritten == 0) return inPlace;
  return files.LastWriteTime(inPlace) > copyWritten ? inPlace : copy;
}

}  // namespace karuvel
