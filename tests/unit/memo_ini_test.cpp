// The memo.ini reader: line parsing, the two passes over real files in a temporary directory, and
// read failures through a fake file system.
#include "settings/memo_ini.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/ansi.h"
#include "common/file_system.h"
#include "fake_app.h"

namespace karuvel {
namespace {

// ---- ParseMemoLine -------------------------------------------------------------------------

// The fuzz target checks the split of any line against the rules; these are the note numbers a
// bad file may hold.
TEST(ParseMemoLine, ReadsNoteNumbers) {
  const struct {
    Text prefix;
    bool ok;
    int16_t number;
  } cases[] = {
      {u"+5", true, 5},       {u"-3", true, -3},         {u"  7abc", true, 7},
      {u"abc", true, 0},      {u"", true, 0},            {u"+", true, 0},
      {u"- 5", true, 0},      {u"7.9", true, 7},         {u"0x10", true, 0},
      {u"32767", true, 32767}, {u"-32768", true, -32768}, {u"000000000000042", true, 42},
      {u"32768", false, 0},   {u"-32769", false, 0},     {u"99999", false, 0},
      {u"-40000", false, 0},  {u"4294967296", false, 0}, {u"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    const Text line = c.prefix + u"_Key=v";
    int16_t noteNo = 99;
    Text key, value;
    const int16_t result = ParseMemoLine(line, noteNo, key, value);
    EXPECT_EQ(result, c.ok ? kParseOk : kParseFailed) << TextToUtf8(line);
    EXPECT_EQ(noteNo, c.ok ? c.number : 99) << TextToUtf8(line);
  }
}

// ---- Test files ------------------------------------------------------------------------------

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/karuvel-memo-XXXXXX";
    path_ = mkdtemp(name) ? name : "";
  }
  ~TempDir() {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  Text Write(const std::string& name, const std::string& bytes) {
    const std::string full = path_ + "/" + name;
    FILE* f = std::fopen(full.c_str(), "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    files_.push_back(full);
    return Utf8ToText(full);
  }
  Text PathOf(const std::string& name) const { return Utf8ToText(path_ + "/" + name); }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// Lines joined with CR LF, from UTF-8 source text converted to code page 932.
std::string MemoBytes(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += TextToAnsi(Utf8ToText(line)) + "\r\n";
  return out;
}

std::vector<Text> History(const NoteRecord& note) {
  return std::vector<Text>(note.strHistory.begin(), note.strHistory.begin() + note.intHistoryCount);
}

class MemoIniFile : public testing::Test {
 protected:
  void LoadBytes(const std::string& bytes) { ReadMemoIni(dir_.Write("memo.ini", bytes), table_, RealFileSystem()); }
  void Load(const std::vector<std::string>& lines) { LoadBytes(MemoBytes(lines)); }

  TempDir dir_;
  NoteTable table_;
};

TEST_F(MemoIniFile, WorkedExample) {
  Load({"[Memo]", "2_ScriptEnableDscpServer=true", "5_ETag=E5", "5_ScriptEnableDscpServer=TRUE", "2_ETag=E2",
        "5_WatermarkHistory-000=A", "5_WatermarkHistory-001=B", "5_ScriptFileName=B", "7_ETag=E7"});
  ASSERT_EQ(table_.intNoteCount, 2);
  const NoteRecord& first = table_.Notes[0];
  EXPECT_EQ(first.intNoteNo, 2);
  EXPECT_EQ(first.strETag, u"E2");
  EXPECT_EQ(first.intHistoryCount, 0);
  EXPECT_EQ(first.strScriptFileName, u"");
  const NoteRecord& second = table_.Notes[1];
  EXPECT_EQ(second.intNoteNo, 5);
  EXPECT_EQ(second.strETag, u"E5");
  EXPECT_EQ(History(second), (std::vector<Text>{u"A", u"B"}));
  EXPECT_EQ(second.strScriptFileName, u"B");
}

TEST_F(MemoIniFile, EnableValueIsTrueInAnyCaseWithNothingAround) {
  Load({"1_ScriptEnableDscpServer=true", "2_ScriptEnableDscpServer=True", "3_scriptenabledscpserver=TRUE",
        "4_ScriptEnableDscpServer= true", "5_ScriptEnableDscpServer=true ", "6_ScriptEnableDscpServer=1",
        "7_ScriptEnableDscpServerX=true", "#8_ScriptEnableDscpServer=true", "9_ScriptEnableDscpServer=ｔｒｕｅ",
        "10_ScriptEnableDscpServer=false"});
  ASSERT_EQ(table_.intNoteCount, 3);
  EXPECT_EQ(table_.Notes[0].intNoteNo, 1);
  EXPECT_EQ(table_.Notes[1].intNoteNo, 2);
  EXPECT_EQ(table_.Notes[2].intNoteNo, 3);
}

TEST_F(MemoIniFile, KeysMatchWithoutCaseAndByPrefix) {
  Load({"1_ScriptEnableDscpServer=true", "1_etag=e", "1_WATERMARKHISTORY-x=h1", "1_watermarkhistory-=h2",
        "1_WatermarkHistory=no-dash", "1_ScriptFileNam=too-short", "1_scriptfilename.bak=cur",
        "1_ETag2=not-etag", "1_ETagX=not-etag"});
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, u"e");
  EXPECT_EQ(History(table_.Notes[0]), (std::vector<Text>{u"h1", u"h2", u"cur"}));
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"cur");
}

TEST_F(MemoIniFile, HistoryHoldsEachScriptOnceInOrderOfFirstMention) {
  Load({"1_ScriptEnableDscpServer=true", "1_WatermarkHistory-005=b", "1_WatermarkHistory-001=a",
        "1_WatermarkHistory-002=b", "1_ScriptFileName=a", "1_WatermarkHistory-003=B", "1_WatermarkHistory-004="});
  EXPECT_EQ(History(table_.Notes[0]), (std::vector<Text>{u"b", u"a", u"B", u""}));
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"a");
}

TEST_F(MemoIniFile, NoteEnabledTwiceGetsTwoEntriesAndOnlyTheFirstIsFilled) {
  Load({"3_ScriptEnableDscpServer=true", "3_ETag=E3", "3_ScriptEnableDscpServer=true", "3_ScriptFileName=s"});
  ASSERT_EQ(table_.intNoteCount, 2);
  EXPECT_EQ(table_.Notes[0].strETag, u"E3");
  EXPECT_EQ(History(table_.Notes[0]), std::vector<Text>{u"s"});
  EXPECT_EQ(table_.Notes[1].intNoteNo, 3);
  EXPECT_EQ(table_.Notes[1].strETag, u"");
  EXPECT_EQ(table_.Notes[1].intHistoryCount, 0);
}

TEST_F(MemoIniFile, LinesEndAtCrLfLoneCrAndLoneLf) {
  LoadBytes(std::string("1_ScriptEnableDscpServer=true\r1_ETag=e\n1_WatermarkHistory-0=a\r\n\r\n"
                   "1_WatermarkHistory-1=b\n\r1_ScriptFileName=c"));  // last line without an end
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, u"e");
  EXPECT_EQ(History(table_.Notes[0]), (std::vector<Text>{u"a", u"b", u"c"}));
}

TEST_F(MemoIniFile, ShiftJisTrailBytesAreNotSeparators) {
  // ダ is 0x83 0x5F: read byte-wise, its trail byte would be the line's first "_".
  // 表 ソ 能 end in 0x5C, which must stay inside the characters of the path.
  Load({"0_ScriptEnableDscpServer=true", "ダ_ETag=表=ソ_能\\", "0_ScriptFileName=C:\\表\\ソ能\\ダ_x.ugu",
        "1_ab=表"});  // 6 characters (7 bytes) and parses, but belongs to no note
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, u"表=ソ_能\\");
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"C:\\表\\ソ能\\ダ_x.ugu");
}

TEST_F(MemoIniFile, NewlyRegisteredNoteStartsWithoutEarlierText) {
  Load({"1_ScriptEnableDscpServer=true", "1_ETag=old", "1_ScriptFileName=old.ugu"});
  ASSERT_EQ(table_.Notes[0].strETag, u"old");
  Load({"2_ScriptEnableDscpServer=true", "2_WatermarkHistory-0=h"});
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].intNoteNo, 2);
  EXPECT_EQ(table_.Notes[0].strETag, u"");
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"");
  EXPECT_EQ(History(table_.Notes[0]), std::vector<Text>{u"h"});
}

TEST_F(MemoIniFile, MissingHiddenOrDirectoryPathLeavesTableAsItWas) {
  Load({"1_ScriptEnableDscpServer=true", "1_ETag=kept"});
  const Text hidden = dir_.Write(".memo.ini", MemoBytes({"2_ScriptEnableDscpServer=true"}));
  // other.ini exists, but a pattern or a NUL does not name it exactly.
  const Text other = dir_.Write("other.ini", MemoBytes({"3_ScriptEnableDscpServer=true"}));
  for (const Text& path : {dir_.PathOf("absent.ini"), hidden, dir_.PathOf(""), dir_.PathOf("other.in?"),
                           other + Text(1, u'\0') + u"x"}) {
    ReadMemoIni(path, table_, RealFileSystem());
    ASSERT_EQ(table_.intNoteCount, 1);
    EXPECT_EQ(table_.Notes[0].strETag, u"kept");
  }
}

// ---- Files ZMemo would never write, or that change under the reader --------------------------

// Bytes in a fixed pseudo-random order.
std::string Junk(size_t size) {
  std::string junk;
  uint32_t x = 99;
  while (junk.size() < size) {
    x = x * 1103515245u + 12345u;
    junk.push_back(static_cast<char>(x >> 16));
  }
  return junk;
}

TEST_F(MemoIniFile, FileWithoutAnEnabledNoteEmptiesTheTable) {
  for (const std::string& bytes : {std::string(), std::string(4096, '\0'), std::string("\r\n\r\n\n\r"), Junk(100000),
                                   MemoBytes({"1_ScriptEnableDscpServer=false", "1_ETag=x"})}) {
    Load({"1_ScriptEnableDscpServer=true"});
    ASSERT_EQ(table_.intNoteCount, 1);
    LoadBytes(bytes);
    EXPECT_EQ(table_.intNoteCount, 0);
  }
}

TEST_F(MemoIniFile, SettingsBetweenBinaryJunkAreStillRead) {
  using namespace std::string_literals;
  const std::string junk = "\0\x01\xFF\x81\x9F\xE0\xFC\xFD\x80\xA0\x7F"s;
  LoadBytes(junk + "\r\n1_ScriptEnableDscpServer=true\r\n"s + junk + "\n1_ETag=e\0x\r\n"s + junk +
            "1_ScriptFileName=lost\r\n\0" "1_WatermarkHistory-0=h\r"s + junk);
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, Text(u"e\0x", 3));  // a NUL inside a value is kept
  EXPECT_EQ(table_.Notes[0].intHistoryCount, 0);         // both lines start with junk: note number 0
}

TEST_F(MemoIniFile, InvalidShiftJisReadsAsDefaultCharactersAndNeverSwallowsALineEnd) {
  // A lead byte takes the next byte as its trail byte: "\x81_" is one character, so note 1's line
  // has no "_" left. A lead byte before CR or LF stands alone.
  LoadBytes(std::string("1\x81_ScriptEnableDscpServer=true\r\n2_ScriptEnableDscpServer=true\x81\r\n"
                        "3_ScriptEnableDscpServer=true\r\n3_ETag=a\x81\r\n3_ScriptFileName=\x81\n\xFF\x80\xFD\r\n"
                        "3_WatermarkHistory-0=x\xA0y\x82\r\n3\xA0_ScriptFileName=\x80"));
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].intNoteNo, 3);
  EXPECT_EQ(table_.Notes[0].strETag, u"a\u30FB");
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"\u0080");
  EXPECT_EQ(History(table_.Notes[0]), (std::vector<Text>{u"\u30FB", u"x\uF8F0y\u30FB", u"\u0080"}));
}

TEST_F(MemoIniFile, TwoHundredEnabledNotesKeepTheFirst101) {
  std::vector<std::string> lines;
  for (int n = 199; n >= 0; --n) lines.push_back(std::to_string(n) + "_ScriptEnableDscpServer=true");
  for (int n = 0; n < 200; ++n) lines.push_back(std::to_string(n) + "_ETag=E" + std::to_string(n));
  Load(lines);
  ASSERT_EQ(table_.intNoteCount, 101);
  for (int i = 0; i < 101; ++i) {
    EXPECT_EQ(table_.Notes[i].intNoteNo, 199 - i);
    EXPECT_EQ(table_.Notes[i].strETag, u"E" + Utf8ToText(std::to_string(199 - i)));
  }
}

TEST_F(MemoIniFile, FiveHundredScriptsForOneNoteKeepTheFirst101) {
  std::vector<std::string> lines{"7_ScriptEnableDscpServer=true"};
  for (int s = 0; s < 500; ++s) {
    lines.push_back("7_WatermarkHistory-" + std::to_string(s) + "=C:\\s\\" + std::to_string(s) + ".ugu");
    lines.push_back("7_WatermarkHistory-x=C:\\s\\0.ugu");  // repeats take no room
  }
  lines.push_back("7_ScriptFileName=C:\\s\\499.ugu");
  Load(lines);
  const NoteRecord& note = table_.Notes[0];
  ASSERT_EQ(note.intHistoryCount, 101);
  for (int s = 0; s < 101; ++s) EXPECT_EQ(note.strHistory[s], u"C:\\s\\" + Utf8ToText(std::to_string(s)) + u".ugu");
  // The current script is known though the full history cannot show it.
  EXPECT_EQ(note.strScriptFileName, u"C:\\s\\499.ugu");
}

TEST_F(MemoIniFile, FiftyMegabytesOfJunkAreReadToTheEnd) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>(i * 131 + 7));  // every byte value
  junk += "\r\n";
  std::string bytes = "3_ScriptEnableDscpServer=true\r\n";
  bytes.reserve(50u << 20);
  while (bytes.size() < (50u << 20)) bytes += junk;
  LoadBytes(bytes + "3_ETag=at-the-end\r\n3_ScriptFileName=C:\\s\\last.ugu");
  ASSERT_EQ(table_.intNoteCount, 1);
  EXPECT_EQ(table_.Notes[0].strETag, u"at-the-end");
  EXPECT_EQ(table_.Notes[0].strScriptFileName, u"C:\\s\\last.ugu");
}

TEST_F(MemoIniFile, FileThatDisappearsBeforeEitherPassLeavesTableAsItWas) {
  for (int pass = 0; pass <= 2; ++pass) {
    SCOPED_TRACE(pass);
    Load({"4_ScriptEnableDscpServer=true", "4_ETag=earlier"});
    const Text path = dir_.Write("memo.ini", MemoBytes({"1_ScriptEnableDscpServer=true", "1_ETag=new"}));
    const std::string file = TextToUtf8(path);
    fakes::HookedFileSystem fs;
    if (pass == 0) fs.afterExistenceTest = [&] { std::remove(file.c_str()); };
    fs.beforeOpen = [&](int open) {
      if (open == pass) std::remove(file.c_str());
    };
    ReadMemoIni(path, table_, fs);
    ASSERT_EQ(table_.intNoteCount, 1);
    EXPECT_EQ(table_.Notes[0].strETag, u"earlier");
  }
}

TEST_F(MemoIniFile, FileRewrittenBetweenThePassesKeepsTheFirstPassNotes) {
  // ZMemo saving between the two passes: the notes come from the first pass, their text from the
  // second; the table stays within its bounds either way.
  const Text path = dir_.Write("memo.ini", MemoBytes({"1_ScriptEnableDscpServer=true", "2_ScriptEnableDscpServer=true"}));
  fakes::HookedFileSystem fs;
  fs.beforeOpen = [&](int open) {
    if (open == 2) dir_.Write("memo.ini", MemoBytes({"2_ETag=two", "3_ScriptEnableDscpServer=true", "3_ETag=three"}));
  };
  ReadMemoIni(path, table_, fs);
  ASSERT_EQ(table_.intNoteCount, 2);
  EXPECT_EQ(table_.Notes[0].strETag, u"");
  EXPECT_EQ(table_.Notes[1].strETag, u"two");
}

// ---- Read failures and chunk boundaries (fake file system) -----------------------------------

class MemoIniFaults : public testing::Test {
 protected:
  void SetUp() override {
    content() = MemoBytes({"1_ScriptEnableDscpServer=true", "1_ETag=before"});
    ReadMemoIni(u"memo.ini", table_, fs_);
    ASSERT_EQ(table_.intNoteCount, 1);
    fs_ = fakes::FakeFileSystem();
    content() = MemoBytes({"2_ScriptEnableDscpServer=true", "3_ScriptEnableDscpServer=true", "2_ETag=after",
                             "2_WatermarkHistory-0=表.ugu"});
  }
  void ExpectUnchanged() {
    ASSERT_EQ(table_.intNoteCount, 1);
    EXPECT_EQ(table_.Notes[0].intNoteNo, 1);
    EXPECT_EQ(table_.Notes[0].strETag, u"before");
  }

  std::string& content() { return fs_.files[u"memo.ini"]; }

  fakes::FakeFileSystem fs_;
  NoteTable table_;
};

TEST_F(MemoIniFaults, ReadErrorInEitherPassLeavesTableAsItWas) {
  for (int pass = 1; pass <= 2; ++pass) {
    for (size_t after : {size_t{0}, size_t{40}, content().size() - 1}) {
      fs_.failingOpen = pass;
      fs_.failAfter = after;
      fs_.opens = 0;
      ReadMemoIni(u"memo.ini", table_, fs_);
      ExpectUnchanged();
    }
  }
  fs_.failingOpen = 0;  // the same file read without error replaces the table
  ReadMemoIni(u"memo.ini", table_, fs_);
  EXPECT_EQ(table_.intNoteCount, 2);
  EXPECT_EQ(table_.Notes[0].strETag, u"after");
}

TEST_F(MemoIniFaults, ChunkBoundariesDoNotChangeTheResult) {
  // Boundaries fall inside CR LF, inside double-byte characters and inside lines.
  content() = std::string("2_ScriptEnableDscpServer=true\r\n2_ETag=\x95\x5C\r") +
                "\n2_WatermarkHistory-0=C:\\\x83\x5F\\a.ugu\r\r\n2_ScriptFileName=b\n";
  for (size_t step : {1, 2, 3, 7, 31}) {
    fs_.step = step;
    NoteTable table;
    ReadMemoIni(u"memo.ini", table, fs_);
    ASSERT_EQ(table.intNoteCount, 1) << step;
    EXPECT_EQ(table.Notes[0].strETag, u"表") << step;
    EXPECT_EQ(History(table.Notes[0]), (std::vector<Text>{u"C:\\ダ\\a.ugu", u"b"})) << step;
  }
}

}  // namespace
}  // namespace karuvel
