// The package check and the Windows file system on real directory trees in the temp directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_system.h"
#include "packages/script_package.h"

namespace karuvel {
namespace {

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
Text T(const std::wstring& s) { return Text(s.begin(), s.end()); }

void RemoveTree(const Text& dir) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW(W(dir + u"\\*"), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const Text name = T(data.cFileName);
      if (name == u"." || name == u"..") continue;
      const Text path = dir + u"\\" + name;
      SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(W(path));
      }
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(W(dir));
}

// A fresh directory below the temp directory, removed with everything in it afterwards.
class PackageTree : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = T(temp) + u"karuvel_packages_" + T(std::to_wstring(GetCurrentProcessId()));
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryW(W(root_), nullptr));
  }
  void TearDown() override { RemoveTree(root_); }

  // Creates the file (and its directories) below the root; `attributes` are added after writing.
  void File(const Text& relative, DWORD attributes = 0, const std::string& content = "x") {
    const Text path = Dirs(relative);
    const HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << TextToUtf8(path);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes != 0) {
      ASSERT_TRUE(SetFileAttributesW(W(path), attributes));
      ASSERT_EQ(GetFileAttributesW(W(path)) & attributes, attributes) << "attribute not kept";
    }
  }
  void Dir(const Text& relative) { CreateDirectoryW(W(Dirs(relative)), nullptr); }
  Text At(const Text& relative) const { return root_ + u"\\" + relative; }

  Text root_;

 private:
  // Makes every directory on the way to `relative` and returns its full path.
  Text Dirs(const Text& relative) {
    const Text path = At(relative);
    for (std::size_t i = root_.size() + 1; i < path.size(); ++i)
      if (path[i] == u'\\') CreateDirectoryW(W(path.substr(0, i)), nullptr);
    return path;
  }
};

TEST_F(PackageTree, CheckOnRealTrees) {
  File(u"A\\Foo.ugu");
  File(u"A\\FOO\\DAT\\mio00.euu");
  File(u"D\\foo.Psn");
  File(u"D\\foo\\DAT\\aya00.out");  // lower case on disk, looked for as FOO
  File(u"F.x\\Bar.ugu");
  File(u"F.x\\BAR\\DAT\\mio00.euu");
  File(u"G\\a.b.ugu");
  File(u"G\\DAT\\mio00.euu");
  File(u"H\\ab.psn");
  File(u"H\\AB\\DAT\\aya00.out");
  File(u"I\\Foo.ugu");
  File(u"I\\FOO\\DAT\\mio00.euu", FILE_ATTRIBUTE_HIDDEN);
  File(u"J\\Foo.psn");
  Dir(u"J\\FOO\\DAT\\aya00.out");
  File(u"K\\Foo.ugu", FILE_ATTRIBUTE_HIDDEN);
  File(u"K\\FOO\\DAT\\mio00.euu");
  File(u"表\\ソ能表.ugu");
  File(u"表\\ソ能表\\DAT\\mio00.euu");
  File(u"能\\表ソ.psn");
  File(u"能\\表ソ\\DAT\\aya00.out");
  File(u"M\\Foo.ugu", FILE_ATTRIBUTE_SYSTEM);
  File(u"M\\DAT\\mio00.euu");
  Dir(u"N\\Dir.ugu");
  File(u"N\\DAT\\mio00.euu");

  Text slashed = At(u"A\\Foo.ugu");
  for (char16_t& c : slashed)
    if (c == u'\\') c = u'/';

  struct Case {
    const char* what;
    Text path;
    int16_t expected;
  };
  const std::vector<Case> cases = {
      {"data in the named directory", At(u"A\\Foo.ugu"), PackageOk},
      {"lower-case directory on disk", At(u"D\\foo.Psn"), PackageOk},
      {"missing file", At(u"A\\Nope.ugu"), PackageNotFound},
      {"dot in a directory name, good package", At(u"F.x\\Bar.ugu"), PackageOk},
      {"empty base name, DAT beside", At(u"G\\a.b.ugu"), PackageOk},
      {"two-letter name", At(u"H\\ab.psn"), PackageMalformed},
      {"hidden data file", At(u"I\\Foo.ugu"), PackageMalformed},
      {"directory with the data file's name", At(u"J\\Foo.psn"), PackageMalformed},
      {"hidden information file", At(u"K\\Foo.ugu"), PackageNotFound},
      {"system information file", At(u"M\\Foo.ugu"), PackageNotFound},
      {"directory as information file", At(u"N\\Dir.ugu"), PackageNotFound},
      {"Japanese names holding 0x5C in Shift-JIS", At(u"表\\ソ能表.ugu"), PackageOk},
      {"Japanese PSN", At(u"能\\表ソ.psn"), PackageMalformed},  // two characters: no base name
      {"slash separators", slashed, PackageMalformed},
      {"wildcard *", At(u"A\\*.ugu"), PackageNotFound},
      {"wildcard ?", At(u"A\\Fo?.ugu"), PackageNotFound},
      {"DOS wildcard <", At(u"A\\Foo<"), PackageNotFound},
      {"DOS wildcard >", At(u"A\\Foo.ug>"), PackageNotFound},
      {"DOS wildcard \"", At(u"A\\Foo\".ugu"), PackageNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CheckScriptPackage(c.path, RealFileSystem()), c.expected);
  }
}

TEST_F(PackageTree, OrdinaryFileTest) {
  File(u"a.txt");
  File(u"ro.txt", FILE_ATTRIBUTE_READONLY);
  File(u"表示.txt");
  Dir(u"sub");
  const FileSystem& fs = RealFileSystem();
  EXPECT_TRUE(fs.IsOrdinaryFile(At(u"a.txt")));
  EXPECT_TRUE(fs.IsOrdinaryFile(At(u"A.TXT")));
  EXPECT_TRUE(fs.IsOrdinaryFile(At(u"ro.txt")));
  EXPECT_TRUE(fs.IsOrdinaryFile(At(u"表示.txt")));
  EXPECT_FALSE(fs.IsOrdinaryFile(At(u"sub")));
  EXPECT_FALSE(fs.IsOrdinaryFile(At(u"a.txt\\")));
  EXPECT_FALSE(fs.IsOrdinaryFile(At(u"*")));
  EXPECT_FALSE(fs.IsOrdinaryFile(At(u"a.tx?")));
  EXPECT_FALSE(fs.IsOrdinaryFile(At(u"a.txt") + Text(1, u'\0') + u"more"));
  EXPECT_FALSE(fs.IsOrdinaryFile(u""));
  EXPECT_FALSE(fs.IsOrdinaryFile(u"Q:\\no\\such\\drive.txt"));
  EXPECT_FALSE(fs.IsOrdinaryFile(u"\\\\?\\bad\\\\name"));
  EXPECT_TRUE(FileExists(At(u"a.txt\\"), fs));
}

TEST_F(PackageTree, ReadsWhileOthersWriteOrDelete) {
  const std::string content = "abc\r\n表示\r\n";
  File(u"memo.ini", 0, content);
  const Text path = At(u"memo.ini");

  // Another program has the file open for writing.
  const HANDLE writer = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  std::unique_ptr<ByteStream> stream = RealFileSystem().OpenRead(path);
  CloseHandle(writer);
  ASSERT_NE(stream, nullptr);

  std::string read;
  char buffer[4];
  for (std::ptrdiff_t got; (got = stream->Read(buffer, sizeof buffer)) > 0;) read.append(buffer, got);
  EXPECT_EQ(read, content);
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 0);

  // The reader does not keep others from deleting the file, and closes it when destroyed.
  EXPECT_TRUE(DeleteFileW(W(path)));
  stream.reset();
  EXPECT_FALSE(RealFileSystem().IsOrdinaryFile(path));

  EXPECT_EQ(RealFileSystem().OpenRead(path), nullptr);
  EXPECT_EQ(RealFileSystem().OpenRead(root_), nullptr);  // a directory
  EXPECT_EQ(RealFileSystem().OpenRead(u""), nullptr);
}

}  // namespace
}  // namespace karuvel
