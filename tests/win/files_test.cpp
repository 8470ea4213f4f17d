// The package check, the ordinary-file test and the memo.ini reader on real trees in the temp
// folder, where Windows decides: letter case, hidden files, directories, wildcards and locks.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/file_system.h"
#include "common/owners_win.h"
#include "packages/script_package.h"
#include "settings/memo_ini.h"
#include "tests/unit/fake_app.h"

namespace karuvel {
namespace {

// A folder whose name holds 表 (0x95 0x5C in code page 932), removed with all in it.
class Tree : public testing::Test {
 protected:
  ~Tree() override { std::filesystem::remove_all(root_); }
  Text At(const Text& relative) const { return (root_ / std::filesystem::path(relative)).u16string(); }
  // A file holding `bytes` (a folder for FILE_ATTRIBUTE_DIRECTORY) and the folders on its way.
  Text Make(const Text& relative, DWORD attributes = 0, const std::string& bytes = "x") {
    const std::filesystem::path path = At(relative);
    const bool folder = attributes == FILE_ATTRIBUTE_DIRECTORY;
    std::filesystem::create_directories(folder ? path : path.parent_path());
    if (!folder) std::ofstream(path, std::ios::binary) << bytes;
    if (attributes && !folder) SetFileAttributesW(path.c_str(), attributes);
    return path.u16string();
  }

  const std::filesystem::path root_ =
      std::filesystem::temp_directory_path() / (L"カルベル表" + std::to_wstring(GetCurrentProcessId()));
};

TEST_F(Tree, PackageCheckLooksForTheDataFileOnDisk) {
  // The information file, its data file (both made when there is one) and the result.
  const std::tuple<const char16_t*, const char16_t*, DWORD, int> rows[] = {
      {u"A\\Foo.ugu", u"A\\FOO\\DAT\\mio00.euu", 0, 0},
      {u"D\\foo.Psn", u"D\\foo\\DAT\\aya00.out", 0, 0},  // looked for as FOO
      {u"F.x\\Bar.ugu", u"F.x\\BAR\\DAT\\mio00.euu", 0, 0},
      {u"G\\a.b.ugu", u"G\\DAT\\mio00.euu", 0, 0},  // no base name: the DAT beside
      {u"表\\ソ能表.ugu", u"表\\ソ能表\\DAT\\mio00.euu", 0, 0},  // each ends in byte 0x5C
      {u"H\\ab.psn", u"H\\AB\\DAT\\aya00.out", 0, -2},  // two letters make no base name
      {u"能\\表ソ.psn", u"能\\表ソ\\DAT\\aya00.out", 0, -2},
      {u"I\\Foo.ugu", u"I\\FOO\\DAT\\mio00.euu", FILE_ATTRIBUTE_HIDDEN, -2},
      {u"J\\Foo.psn", u"J\\FOO\\DAT\\aya00.out", FILE_ATTRIBUTE_DIRECTORY, -2},
      {u"A/Foo.ugu", nullptr, 0, -2},  // found, but "/" does not part the folder from the name
      {u"A\\Nope.ugu", nullptr, 0, -1}, {u"A\\*.ugu", nullptr, 0, -1},   {u"A\\Fo?.ugu", nullptr, 0, -1},
      {u"A\\Foo<", nullptr, 0, -1},     {u"A\\Foo.ug>", nullptr, 0, -1}, {u"A\\Foo\".ugu", nullptr, 0, -1},
  };
  for (const auto& [info, data, dataAttributes, expected] : rows) {
    if (data) Make(info), Make(data, dataAttributes);
    EXPECT_EQ(CheckScriptPackage(At(info), RealFileSystem()), expected) << TextToUtf8(info);
  }
}

TEST_F(Tree, OnlyOrdinaryFilesCount) {
  const Text file = Make(u"a表.txt");
  EXPECT_TRUE(RealFileSystem().IsOrdinaryFile(At(u"A表.TXT")));
  EXPECT_TRUE(FileExists(file + u"\\", RealFileSystem()));
  const Text others[] = {Make(u"h.txt", FILE_ATTRIBUTE_HIDDEN), Make(u"s.txt", FILE_ATTRIBUTE_SYSTEM),
                         Make(u"sub", FILE_ATTRIBUTE_DIRECTORY), file + u"\\", At(u"*"), At(u"a表.tx?"),
                         file + Text(1, u'\0') + u"x", u"", u"Q:\\no\\such\\drive.txt"};
  for (const Text& path : others) EXPECT_FALSE(RealFileSystem().IsOrdinaryFile(path)) << TextToUtf8(path);
}

TEST_F(Tree, MemoIniHiddenAFolderOrLockedBetweenThePassesLeavesTheTable) {
  const Text memo = Make(u"memo.ini", 0, "0_ScriptEnableDscpServer=true\r\n0_ETag=\x95\x5C\r\n");
  NoteTable table;
  {
    const UniqueFile zmemo(CreateFileW(Wide(memo), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));  // ZMemo may be writing it
    ReadMemoIni(memo, table, RealFileSystem());
  }
  const std::string other = "1_ScriptEnableDscpServer=true\r\n1_ETag=new\r\n";
  ReadMemoIni(Make(u"hidden.ini", FILE_ATTRIBUTE_HIDDEN, other), table, RealFileSystem());
  ReadMemoIni(Make(u"folder.ini", FILE_ATTRIBUTE_DIRECTORY), table, RealFileSystem());
  const Text locked = Make(u"locked.ini", 0, other);
  UniqueFile lock;
  fakes::HookedFileSystem hooked;
  hooked.beforeOpen = [&](int open) {
    if (open == 2) lock.Reset(CreateFileW(Wide(locked), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  };
  ReadMemoIni(locked, table, hooked);
  EXPECT_TRUE(lock);
  ASSERT_EQ(table.intNoteCount, 1);
  EXPECT_EQ(table.Notes[0].strETag, u"表");
}

}  // namespace
}  // namespace karuvel
