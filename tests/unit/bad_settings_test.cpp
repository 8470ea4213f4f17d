// memo.ini files that ZMemo would never write, or that change under the reader: each has a defined
// outcome and none may crash, hang or grow memory without bound. Big files are made at test time.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

// A file in its own temporary directory, removed afterwards.
class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/karuvel-bad-XXXXXX";
    dir_ = mkdtemp(name) ? name : "/tmp";
    file_ = dir_ + "/memo.ini";
  }
  ~TempFile() {
    std::remove(file_.c_str());
    rmdir(dir_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(const std::string& bytes) const {
    FILE* f = std::fopen(file_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
  }
  void Remove() const { std::remove(file_.c_str()); }
  Text Path() const { return Utf8ToText(file_); }

 private:
  std::string dir_;
  std::string file_;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// A table as an earlier load left it: a reload that fails must keep exactly this.
void FillEarlierLoad(NoteTable& table) {
  table.intNoteCount = 1;
  table.Notes[0].intNoteNo = 4;
  table.Notes[0].strETag = u"earlier";
  table.Notes[0].strHistory[0] = u"C:\\s\\earlier.ugu";
  table.Notes[0].intHistoryCount = 1;
}

void ExpectEarlierLoad(const NoteTable& table) {
  ASSERT_EQ(table.intNoteCount, 1);
  EXPECT_EQ(table.Notes[0].intNoteNo, 4);
  EXPECT_EQ(table.Notes[0].strETag, u"earlier");
  EXPECT_EQ(table.Notes[0].intHistoryCount, 1);
}

class BadSettings : public testing::Test {
 protected:
  void SetUp() override { FillEarlierLoad(table_); }
  void Load(const std::string& bytes) {
    file_.Write(bytes);
    ReadMemoIni(file_.Path(), table_, RealFileSystem());
  }

  TempFile file_;
  NoteTable table_;
};

TEST_F(BadSettings, EmptyFileAndJunkWithoutSettingsEmptyTheTable) {
  std::string junk;
  uint32_t x = 99;
  for (int i = 0; i < 100000; ++i) {
    x = x * 1103515245u + 12345u;
    junk.push_back(static_cast<char>(x >> 16));
  }
  for (const std::string& bytes : {std::string(), std::string(4096, '\0'), std::string("\r\n\r\n\n\r"), junk}) {
    FillEarlierLoad(table_);
    Load(bytes);
    EXPECT_EQ(table_.intNoteCount, 0);
  }
}

TEST_F(BadSettings, SettingsBetweenBinaryJunkAreStillRead) {
  using namespace std::string_literals;
  const std::string junk = "\0\x01\xFF\x81\x9F\xE0\xFC\xFD\x80\xA0\x7F"s;
  Load(junk + "\r\n1_ScriptEnableDscpServer=true\r\n"s + junk + "\n1_ETag=e\0x\r\n"s + junk +
       "1_ScriptFileName=lost\r\n\0" "1_WatermarkHistory-0=h\r"s + junk);
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, Text(u"e\0x", 3));  // a NUL inside a value is kept
  ASSERT_EQ(table_.Notes[0].intHistoryCount, 0);   // both lines start with junk: note number 0
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"");
}

TEST_F(BadSettings, InvalidShiftJisNeverSwallowsALineEnd) {
  // A lead byte takes the next byte as its trail byte: "\x81_" is one character, so the line has
  // no "_" left and does not parse. A lead byte before CR or LF stands alone.
  Load(Lines({"1\x81_ScriptEnableDscpServer=true", "2_ScriptEnableDscpServer=true\x81", "3_ScriptEnableDscpServer=true",
              "3_ETag=\x81", "3_WatermarkHistory-0=\xFC\xFC\x81\x7F", "3\xA0_ScriptFileName=\x80"}));
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].intNoteNo, 3);
  EXPECT_EQ(table_.Notes[0].strETag, u"\u30FB");
  EXPECT_EQ(table_.Notes[0].intHistoryCount, 2);
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"\u0080");
}

TEST_F(BadSettings, NoteNumbersOutsideSixteenBitsAreNotWrappedOrClamped) {
  // In 16 bits 99999 wraps to -31073 and -40000 to 25536, 2^32 to 0 in 32 bits; clamping would give
  // 32767 and -32768. The out-of-range lines come last, so any of these would overwrite an ETag.
  Load(Lines({"99999_ScriptEnableDscpServer=true", "-40000_ScriptEnableDscpServer=true",
              "-31073_ScriptEnableDscpServer=true", "25536_ScriptEnableDscpServer=true",
              "32767_ScriptEnableDscpServer=true", "-32768_ScriptEnableDscpServer=true", "0_ScriptEnableDscpServer=true",
              "-31073_ETag=a", "25536_ETag=b", "32767_ETag=c", "-32768_ETag=d", "+0_ETag=e", "99999_ETag=wrapped",
              "-40000_ETag=wrapped", "32768_ETag=wrapped", "-32769_ETag=wrapped", "4294967296_ETag=wrapped",
              "-0_WatermarkHistory-0=zero"}));
  ASSERT_EQ(table_.intNoteCount, 5);
  const Text etags[] = {u"a", u"b", u"c", u"d", u"e"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(table_.Notes[i].strETag, etags[i]) << i;
  EXPECT_EQ(table_.Notes[4].intHistoryCount, 1);
}

TEST_F(BadSettings, TwoHundredEnabledNotesKeepTheFirst101) {
  std::vector<std::string> lines;
  for (int n = 199; n >= 0; --n) lines.push_back(std::to_string(n) + "_ScriptEnableDscpServer=true");
  for (int n = 0; n < 200; ++n) lines.push_back(std::to_string(n) + "_ETag=E" + std::to_string(n));
  Load(Lines(lines));
  ASSERT_EQ(table_.intNoteCount, 101);
  for (int i = 0; i < 101; ++i) {
    EXPECT_EQ(table_.Notes[i].intNoteNo, 199 - i);
    EXPECT_EQ(table_.Notes[i].strETag, u"E" + Utf8ToText(std::to_string(199 - i)));
  }
}

TEST_F(BadSettings, FiveHundredScriptsForOneNoteKeepTheFirst101) {
  std::vector<std::string> lines{"7_ScriptEnableDscpServer=true"};
  for (int s = 0; s < 500; ++s) {
    lines.push_back("7_WatermarkHistory-" + std::to_string(s) + "=C:\\s\\" + std::to_string(s) + ".ugu");
    lines.push_back("7_WatermarkHistory-x=C:\\s\\0.ugu");  // repeats take no room
  }
  lines.push_back("7_ScriptFileName=C:\\s\\499.ugu");
  Load(Lines(lines));
  const NoteRecord& note = table_.Notes[0];
  ASSERT_EQ(note.intHistoryCount, 101);
  for (int s = 0; s < 101; ++s) EXPECT_EQ(note.strHistory[s], u"C:\\s\\" + Utf8ToText(std::to_string(s)) + u".ugu");
  // The current script is known though the full history cannot show it.
  EXPECT_EQ(note.strScriptFileName, u"C:\\s\\499.ugu");
}

TEST_F(BadSettings, FiftyMegabyteFileIsReadToItsEnd) {
  std::string bytes = "3_ScriptEnableDscpServer=true\r\n";
  const std::string filler = "[Note3]\r\n3_SomeOtherSetting=" + std::string(80, 'x') + "\r\n";
  bytes.reserve(50u << 20);
  while (bytes.size() < (50u << 20)) bytes += filler;
  bytes += "3_ETag=at-the-end\r\n3_ScriptFileName=C:\\s\\last.ugu";
  Load(bytes);
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, u"at-the-end");
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"C:\\s\\last.ugu");
}

TEST_F(BadSettings, TenMegabyteLineIsOneValue) {
  const std::string value(10u << 20, '\x82');  // 0x82 0x82 is one character, so 5 Mi of them
  Load("1_ScriptEnableDscpServer=true\r\n1_ETag=" + value + "\r\n1_ScriptFileName=" + value);
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag.size(), 5u << 20);
  EXPECT_EQ(table_.Notes[0].strETag.find_first_not_of(table_.Notes[0].strETag[0]), Text::npos);
  EXPECT_EQ(table_.Notes[0].intHistoryCount, 1);
}

// The real file system with a hook that runs before each call, to change the file under the reader.
class ChangingFileSystem final : public FileSystem {
 public:
  std::function<void()> beforeOpen;  // run before every open, with the open's number from 1
  std::function<void()> afterExistenceTest;
  mutable int opens = 0;

  bool IsOrdinaryFile(TextView path) const override {
    const bool exists = RealFileSystem().IsOrdinaryFile(path);
    if (afterExistenceTest) afterExistenceTest();
    return exists;
  }
  std::unique_ptr<ByteStream> OpenRead(TextView path) const override {
    ++opens;
    if (beforeOpen) beforeOpen();
    return RealFileSystem().OpenRead(path);
  }
};

TEST_F(BadSettings, FileThatDisappearsBeforeEitherPassLeavesTheTable) {
  for (int pass = 0; pass <= 2; ++pass) {
    SCOPED_TRACE(pass);
    file_.Write(Lines({"1_ScriptEnableDscpServer=true", "1_ETag=new"}));
    ChangingFileSystem fs;
    if (pass == 0) fs.afterExistenceTest = [&] { file_.Remove(); };
    fs.beforeOpen = [&] {
      if (fs.opens == pass) file_.Remove();
    };
    ReadMemoIni(file_.Path(), table_, fs);
    ExpectEarlierLoad(table_);
  }
}

TEST_F(BadSettings, FileRewrittenBetweenThePassesKeepsTheFirstPassNotes) {
  // ZMemo saving between the two passes: the notes come from the first pass, their text from the
  // second; the table stays within its bounds either way.
  file_.Write(Lines({"1_ScriptEnableDscpServer=true", "2_ScriptEnableDscpServer=true"}));
  ChangingFileSystem fs;
  fs.beforeOpen = [&] {
    if (fs.opens == 2) file_.Write(Lines({"2_ETag=two", "3_ScriptEnableDscpServer=true", "3_ETag=three"}));
  };
  ReadMemoIni(file_.Path(), table_, fs);
  ASSERT_EQ(table_.intNoteCount, 2);
  EXPECT_EQ(table_.Notes[0].strETag, u"");
  EXPECT_EQ(table_.Notes[1].strETag, u"two");
}

}  // namespace
}  // namespace karuvel
