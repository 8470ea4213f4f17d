#include "packages/script_package.h"

namespace karuvel {

namespace {

// Positions in these paths are 16-bit: a longer path cannot name a Windows file.
constexpr std::size_t kMaxPathLength = 32767;

}  // namespace

bool FileExists(TextView path, const FileSystem& fs) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.size() > kMaxPathLength) return false;
  return fs.IsOrdinaryFile(path);
}

Text GetDirectoryPart(TextView path) {
  const std::size_t slash = path.rfind(u'\\');
  if (slash == TextView::npos) return Text(path);
  return Text(path.substr(0, slash + 1));
}

Text GetScriptBaseName(TextView path) {
  const std::size_t separator = path.find_last_of(u"\\/");
  if (separator == TextView::npos) return Text();
  const TextView fileName = path.substr(separator + 1);
  const std::size_t dot = fileName.find(u'.');
  if (dot == TextView::npos) return Text();
  const Text extension = UpperAscii(fileName.substr(dot + 1));
  if (extension != u"UGU" && extension != u"PSN") return Text();
  if (dot < 3) return Text();
  return UpperAscii(fileName.substr(0, dot));
}

int16_t CheckScriptPackage(Text path, const FileSystem& fs) {
  if (!FileExists(path, fs)) return PackageNotFound;

  const std::size_t dot = path.rfind(u'.');
  if (dot == Text::npos) return PackageMalformed;
  const Text kind = UpperAscii(TextView(path).substr(dot + 1));

  const Text dir = GetDirectoryPart(path);
  const Text name = GetScriptBaseName(path);
  if (kind == u"PSN") {
    return FileExists(dir + name + u"\\DAT\\aya00.out", fs) ? PackageOk : PackageMalformed;
  }
  if (kind == u"UGU") {
    if (FileExists(dir + name + u"\\DAT\\mio00.euu", fs)) return PackageOk;
    return FileExists(dir + u"DAT\\mio00.euu", fs) ? PackageOk : PackageMalformed;
  }
  return PackageMalformed;
}

}  // namespace karuvel
