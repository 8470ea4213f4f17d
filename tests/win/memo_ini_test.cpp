// The memo.ini reader on Windows: a real file under a Japanese path, read through the Windows file
// system and the system's code page conversion, and files that other handles hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "settings/memo_ini.h"
#include "tests/unit/fake_app.h"

namespace karuvel {
namespace {

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

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

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Held = std::unique_ptr<void, HandleCloser>;

// A directory whose name holds 表 (0x95 0x5C) in the temporary folder, removed with its files.
class MemoIniWin : public testing::Test {
 protected:
  MemoIniWin() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = reinterpret_cast<const char16_t*>(temp);
    dir_ += u"カルベル表" + Text(reinterpret_cast<const char16_t*>(std::to_wstring(GetCurrentProcessId()).c_str())) + u"\\";
    CreateDirectoryW(W(dir_), nullptr);
  }
  ~MemoIniWin() override {
    for (const Text& f : files_) {
      SetFileAttributesW(W(f), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(W(f));
      RemoveDirectoryW(W(f));
    }
    RemoveDirectoryW(W(dir_));
  }

  Text Write(const Text& name, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const Text path = dir_ + name;
    files_.push_back(path);
    const HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
  }
  // Another handle on the file with the given sharing, as ZMemo or a backup tool might hold it.
  static HANDLE Hold(const Text& path, DWORD access, DWORD share) {
    return CreateFileW(W(path), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  Text dir_;
  std::vector<Text> files_;
  NoteTable table_;
};

TEST_F(MemoIniWin, ReadsARealFileAndSkipsAHiddenOneOrADirectory) {
  ReadMemoIni(Write(u"memo.ini", kMemo), table_, RealFileSystem());
  ExpectMemoLoaded(table_);
  // A hidden memo.ini, or a directory of that name, counts as missing: the table stays as it was.
  ReadMemoIni(Write(u"hidden.ini", "5_ScriptEnableDscpServer=true\r\n", FILE_ATTRIBUTE_HIDDEN), table_,
              RealFileSystem());
  ExpectMemoLoaded(table_);
  const Text dir = dir_ + u"dir.ini";
  files_.push_back(dir);
  ASSERT_TRUE(CreateDirectoryW(W(dir), nullptr));
  ReadMemoIni(dir, table_, RealFileSystem());
  ExpectMemoLoaded(table_);
}

TEST_F(MemoIniWin, FileLockedBetweenThePassesLeavesTheTable) {
  ReadMemoIni(Write(u"memo.ini", kMemo), table_, RealFileSystem());
  const Text path = Write(u"memo.ini", "1_ScriptEnableDscpServer=true\r\n1_ETag=new\r\n");
  Held lock(INVALID_HANDLE_VALUE);
  fakes::HookedFileSystem fs;
  fs.beforeOpen = [&](int open) {
    if (open == 2) lock.reset(Hold(path, GENERIC_READ, 0));
  };
  ReadMemoIni(path, table_, fs);
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
  ExpectMemoLoaded(table_);
}

TEST_F(MemoIniWin, FileOpenForWritingByZMemoIsStillRead) {
  // A writer that lets others read: Karuvel shares writing, so it reads what is there.
  const Text path = Write(u"memo.ini", kMemo);
  const Held writer(Hold(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
  ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE);
  ReadMemoIni(path, table_, RealFileSystem());
  ExpectMemoLoaded(table_);
}

TEST_F(MemoIniWin, TenMegabyteLineThroughTheSystemConversion) {
  // 0x95 0x5C is 表: its trail byte is "\", and the value ends in a lone lead byte.
  std::string value;
  value.reserve(10u << 20);
  while (value.size() < (10u << 20)) value += "\x95\x5C";
  ReadMemoIni(Write(u"memo.ini", "1_ScriptEnableDscpServer=true\r\n1_ETag=" + value + "\x81\r\n"), table_,
              RealFileSystem());
  ASSERT_EQ(table_.intNoteCount, 1);
  const Text& etag = table_.Notes[0].strETag;
  ASSERT_EQ(etag.size(), (5u << 20) + 1);
  EXPECT_EQ(etag.find_first_not_of(u'表'), etag.size() - 1);
  EXPECT_EQ(etag.back(), u'\u30FB');
}

}  // namespace
}  // namespace karuvel
