// The memo.ini reader on Windows: a real file under a Japanese path, read through the Windows file
// system and the system's code page conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_system.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

const std::string kMemo =
    "0_ScriptEnableDscpServer=true\r\n\x83\x5F_ETag=\x95\x5C=\x83\x5C_\r\n"
    "0_ScriptFileName=C:\\\x95\x5C\\\x94\x5C.ugu\n0_WatermarkHistory-0=\x81";

void ExpectMemoLoaded(const NoteTable& table) {
  ASSERT_EQ(table.intNoteCount, 1);
  EXPECT_EQ(table.Notes[0].strETag, u"表=ソ_");  // ダ (0x83 0x5F) before "_" is no separator
  EXPECT_EQ(table.Notes[0].strScriptFileName, u"C:\\表\\能.ugu");
  ASSERT_EQ(table.Notes[0].intHistoryCount, 2);
  EXPECT_EQ(table.Notes[0].strHistory[1], u"\u30FB");  // lone lead byte at the end
}

// A directory whose name holds 表 (0x95 0x5C) in the temporary folder, removed with its files.
class JapaneseTempDir {
 public:
  JapaneseTempDir() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = reinterpret_cast<const char16_t*>(temp);
    dir_ += u"カルベル表" + Text(reinterpret_cast<const char16_t*>(std::to_wstring(GetCurrentProcessId()).c_str())) + u"\\";
    CreateDirectoryW(W(dir_), nullptr);
  }
  ~JapaneseTempDir() {
    for (const Text& f : files_) {
      SetFileAttributesW(W(f), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(W(f));
    }
    RemoveDirectoryW(W(dir_));
  }
  JapaneseTempDir(const JapaneseTempDir&) = delete;
  JapaneseTempDir& operator=(const JapaneseTempDir&) = delete;

  Text Write(const Text& name, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const Text path = dir_ + name;
    const HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(h);
    }
    files_.push_back(path);
    return path;
  }

 private:
  static const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
  Text dir_;
  std::vector<Text> files_;
};

TEST(MemoIniWin, ReadsARealFileAndSkipsAHiddenOne) {
  JapaneseTempDir dir;
  NoteTable table;
  ReadMemoIni(dir.Write(u"memo.ini", kMemo), table, RealFileSystem());
  ExpectMemoLoaded(table);
  // A hidden memo.ini counts as missing: the table stays as it was.
  ReadMemoIni(dir.Write(u"hidden.ini", "5_ScriptEnableDscpServer=true\r\n", FILE_ATTRIBUTE_HIDDEN), table,
              RealFileSystem());
  ExpectMemoLoaded(table);
}

}  // namespace
}  // namespace karuvel
