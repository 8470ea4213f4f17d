// memo.ini changing under the reader on Windows: locked by another handle, deleted after the
// existence test, written by ZMemo while Karuvel reads, and a 10 MB line through the system's
// code page conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "common/file_system.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

// memo.ini in a directory of its own under the temporary folder.
class MemoFile {
 public:
  MemoFile() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = reinterpret_cast<const char16_t*>(temp);
    dir_ += u"karuvel-bad-" + Text(reinterpret_cast<const char16_t*>(std::to_wstring(GetCurrentProcessId()).c_str()));
    CreateDirectoryW(W(dir_), nullptr);
    path_ = dir_ + u"\\memo.ini";
  }
  ~MemoFile() {
    DeleteFileW(W(path_));
    RemoveDirectoryW(W(path_));
    RemoveDirectoryW(W(dir_));
  }
  MemoFile(const MemoFile&) = delete;
  MemoFile& operator=(const MemoFile&) = delete;

  bool Write(const std::string& bytes) const {
    const HANDLE h = CreateFileW(W(path_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
  }
  // Another handle on the file with the given sharing, as ZMemo or a backup tool might hold it.
  HANDLE Hold(DWORD access, DWORD share) const {
    return CreateFileW(W(path_), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  const Text& Path() const { return path_; }

 private:
  Text dir_;
  Text path_;
};

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Held = std::unique_ptr<void, HandleCloser>;

// The Windows file system with hooks after the existence test and before each open.
class ChangingFileSystem final : public FileSystem {
 public:
  std::function<void()> afterExistenceTest;
  std::function<void(int)> beforeOpen;  // given the open's number, from 1
  mutable int opens = 0;

  bool IsOrdinaryFile(TextView path) const override {
    const bool exists = RealFileSystem().IsOrdinaryFile(path);
    if (afterExistenceTest) afterExistenceTest();
    return exists;
  }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    if (beforeOpen) beforeOpen(++opens);
    return RealFileSystem().OpenRead(path);
  }
};

const std::string kMemo = "1_ScriptEnableDscpServer=true\r\n1_ETag=new\r\n";

class BadSettingsWin : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file_.Write("9_ScriptEnableDscpServer=true\r\n9_ETag=earlier\r\n"));
    ReadMemoIni(file_.Path(), table_, RealFileSystem());
    ASSERT_EQ(table_.intNoteCount, 1);
    ASSERT_TRUE(file_.Write(kMemo));
  }
  void ExpectEarlier() const {
    ASSERT_EQ(table_.intNoteCount, 1);
    EXPECT_EQ(table_.Notes[0].intNoteNo, 9);
    EXPECT_EQ(table_.Notes[0].strETag, u"earlier");
  }
  void ExpectNew() const {
    ASSERT_EQ(table_.intNoteCount, 1);
    EXPECT_EQ(table_.Notes[0].strETag, u"new");
  }

  MemoFile file_;
  NoteTable table_;
};

TEST_F(BadSettingsWin, FileLockedWithoutSharingLeavesTheTable) {
  const Held lock(file_.Hold(GENERIC_READ | GENERIC_WRITE, 0));
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
  ReadMemoIni(file_.Path(), table_, RealFileSystem());
  ExpectEarlier();
}

TEST_F(BadSettingsWin, FileLockedBetweenThePassesLeavesTheTable) {
  Held lock(INVALID_HANDLE_VALUE);
  ChangingFileSystem fs;
  fs.beforeOpen = [&](int open) {
    if (open == 2) lock.reset(file_.Hold(GENERIC_READ, 0));
  };
  ReadMemoIni(file_.Path(), table_, fs);
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
  ExpectEarlier();
}

TEST_F(BadSettingsWin, FileOpenForWritingByZMemoIsStillRead) {
  // A writer that lets others read: Karuvel shares writing, so it reads what is there.
  const Held writer(file_.Hold(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
  ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE);
  ReadMemoIni(file_.Path(), table_, RealFileSystem());
  ExpectNew();
}

TEST_F(BadSettingsWin, FileDeletedAfterTheExistenceTestLeavesTheTable) {
  ChangingFileSystem fs;
  fs.afterExistenceTest = [&] { DeleteFileW(W(file_.Path())); };
  ReadMemoIni(file_.Path(), table_, fs);
  ExpectEarlier();
}

TEST_F(BadSettingsWin, DirectoryNamedMemoIniLeavesTheTable) {
  ASSERT_TRUE(DeleteFileW(W(file_.Path())));
  ASSERT_TRUE(CreateDirectoryW(W(file_.Path()), nullptr));
  ReadMemoIni(file_.Path(), table_, RealFileSystem());
  ExpectEarlier();
}

TEST_F(BadSettingsWin, TenMegabyteLineThroughTheSystemConversion) {
  // 0x95 0x5C is 表: its trail byte is "\", and the value ends in a lone lead byte.
  std::string value;
  value.reserve(10u << 20);
  while (value.size() < (10u << 20)) value += "\x95\x5C";
  ASSERT_TRUE(file_.Write("1_ScriptEnableDscpServer=true\r\n1_ETag=" + value + "\x81\r\n"));
  ReadMemoIni(file_.Path(), table_, RealFileSystem());
  ASSERT_EQ(table_.intNoteCount, 1);
  const Text& etag = table_.Notes[0].strETag;
  ASSERT_EQ(etag.size(), (5u << 20) + 1);
  EXPECT_EQ(etag.find_first_not_of(u'表'), etag.size() - 1);
  EXPECT_EQ(etag.back(), u'\u30FB');
}

}  // namespace
}  // namespace karuvel
