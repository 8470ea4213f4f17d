// The portable core below the window: text conversions, the memo.ini reader (bytes in, the note
// table out), which memo.ini is read, and the package check.
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/ansi.h"
#include "fake_app.h"
#include "packages/script_package.h"
#include "settings/memo_ini.h"
#include "settings/user_dir.h"
#include "settings/virtual_store.h"

namespace karuvel {
namespace {

using namespace std::string_literals;

// A test that never ends fails within a minute, not at the test runner's timeout.
const unsigned kWatchdog = alarm(60);

TEST(Text, AnsiBytesEndWhereToldAndABlankUserNameIsDefault) {
  EXPECT_EQ(AnsiToText(std::string_view("\x95\x5C\x95\x5C", 2)), u"表");
  EXPECT_EQ(UserNameOrDefault(u" ") + UserNameOrDefault(u"") + UserNameOrDefault(u" a\t"), u"defaultdefault a\t");
}

// Reads `bytes` as memo.ini, through a file system `setUp` may change, into a table from an earlier
// read with a stale entry past its end: a note newly registered on a reused slot keeps none of it.
// Gives the table as "<note>|<ETag>|<history, comma-separated>|<current script>" per note, joined by " / ".
std::string Read(const std::string& bytes, const std::function<void(fakes::FakeFileSystem&)>& setUp = {}) {
  fakes::FakeFileSystem fs;
  fs.Add(u"memo.ini", bytes);
  if (setUp) setUp(fs);
  NoteTable table;
  for (int i : {0, 1}) table.Notes[i] = {7, u"old", {u"old.ugu"}, 1, u"old.ugu"};
  table.intNoteCount = 1;
  ReadMemoIni(u"memo.ini", table, fs);
  std::string out;
  for (int i = 0; i < table.intNoteCount; ++i) {
    const NoteRecord& note = table.Notes[i];
    out += (i ? " / " : "") + std::to_string(note.intNoteNo) + "|" + fakes::U8(note.strETag) + "|";
    for (int j = 0; j < note.intHistoryCount; ++j) out += (j ? "," : "") + fakes::U8(note.strHistory[j]);
    out += "|" + fakes::U8(note.strScriptFileName);
  }
  return out;
}

TEST(MemoIni, BytesGiveTheirTable) {
  const struct { std::string bytes, table; } rows[] = {
      // Notes in the order of their enable lines; keys match without case, three of them by prefix; a
      // line without "_" is passed over.
      {"2_ScriptEnableDscpServer=true\r\n[Memo]\r\n5_ETag=E5\r\n5_scriptenabledscpserver=TRUE\r\n2_etag=E2\r\n"
       "5_WATERMARKHISTORY-000=A\r\n5_watermarkhistory-=B\r\n5_WatermarkHistory=no\r\n5_ScriptFileNam=no\r\n"
       "5_scriptfilename.bak=C\r\n5_ETag2=no\r\n7_ETag=E7\r\n", "2|E2|| / 5|E5|A,B,C|C"},
      // Only "true" in any case enables, nothing around it; "#" first comments a line out.
      {"1_ScriptEnableDscpServer=True\r\n4_ScriptEnableDscpServer= true\r\n5_ScriptEnableDscpServer=true \r\n"
       "6_ScriptEnableDscpServer=1\r\n7_ScriptEnableDscpServerX=true\r\n9_ScriptEnableDscpServer=frue\r\n"
       "#8_ScriptEnableDscpServer=true\r\n", "1|||"},
      // Each script once, in the order of first mention, the current one included; a note enabled twice
      // takes a second entry, left empty.
      {"1_ScriptEnableDscpServer=true\r\n1_WatermarkHistory-5=b\r\n1_WatermarkHistory-1=a\r\n1_WatermarkHistory-2=b\r\n"
       "1_ScriptFileName=a\r\n1_WatermarkHistory-3=B\r\n1_WatermarkHistory-4=\r\n1_ScriptEnableDscpServer=true\r\n",
       "1||b,a,B,|a / 1|||"},
      // A lone CR, CR LF, a lone LF, empty lines, and a last line without an end.
      {"1_ScriptEnableDscpServer=true\r\r\n1_ETag=e\n1_WatermarkHistory-0=a\n\r1_WatermarkHistory-1=b\r\n"
       "1_ScriptFileName=c", "1|e|a,b,c|c"},
      // Trail bytes 0x5F and 0x5C: ダ (83 5F) is no "_" and 表 ソ 能 (95 5C, 83 5C, 94 5C) hold no "\".
      {"0_ScriptEnableDscpServer=true\r\n\x83\x5F_ETag=\x95\x5C=\x83\x5C_\x94\x5C\\\r\n"
       "0_ScriptFileName=C:\\\x95\x5C\\\x83\x5C\x94\x5C\\\x83\x5F_x.ugu\r\n",
       "0|表=ソ_能\\|C:\\表\\ソ能\\ダ_x.ugu|C:\\表\\ソ能\\ダ_x.ugu"},
      // A lead byte before a line end or a NUL stands alone; a NUL inside a value is kept.
      {"1_ScriptEnableDscpServer=true\r\n1_ETag=a\x81\r\n1_ScriptFileName=\x81\0b\n"s, "1|a・|・\0b|・\0b"s},
      // Note numbers: spaces, a sign, digits to the first other character, none is 0; outside 16 bits the
      // line fails. A line of six characters is long enough.
      {"32767_ScriptEnableDscpServer=true\r\n-32768_ScriptEnableDscpServer=true\r\n"
       "  7abc_ScriptEnableDscpServer=true\r\nabc_ScriptEnableDscpServer=true\r\n+5_ScriptEnableDscpServer=true\r\n"
       "32768_ScriptEnableDscpServer=true\r\n-32769_ScriptEnableDscpServer=true\r\n0_ETag=zero\r\n"
       "4294967303_ScriptEnableDscpServer=true\r\n_ETag=\r\n", "32767||| / -32768||| / 7||| / 0||| / 5|||"},
      {"1_ETag=x\r\n", ""},
  };
  for (const auto& row : rows)
    for (size_t step : {size_t{64 * 1024}, size_t{1}, size_t{3}})
      EXPECT_EQ(Read(row.bytes, [&](auto& fs) { fs.step = step; }), row.table) << row.bytes << "\nin steps of " << step;
}

TEST(MemoIni, KeepsTheFirst101NotesAndScripts) {
  std::string bytes, notes, scripts;
  for (int n = 199; n >= 0; --n) bytes += std::to_string(n) + "_ScriptEnableDscpServer=true\r\n";
  for (int s = 0; s < 300; ++s)  // repeats take no room
    bytes += "199_WatermarkHistory-x=" + std::to_string(s) + "\r\n199_WatermarkHistory-y=0\r\n";
  for (int n = 198; n >= 99; --n) notes += " / " + std::to_string(n) + "|||";
  for (int s = 1; s <= 100; ++s) scripts += "," + std::to_string(s);
  EXPECT_EQ(Read(bytes + "199_ScriptFileName=299\r\n"), "199||0" + scripts + "|299" + notes);
}

TEST(MemoIni, FileThatCannotBeReadInEitherPassLeavesTheTable) {
  const std::string memo = "2_ScriptEnableDscpServer=true\r\n2_ETag=new\r\n";
  // Which open fails (from 1), and after how many bytes its reads fail; npos: the open itself fails.
  const std::pair<int, size_t> faults[] = {{1, 0}, {1, 20}, {2, 0}, {2, memo.size()}, {1, memo.npos}, {2, memo.npos}};
  for (const auto& [open, after] : faults) {
    const auto setUp = [open = open, after = after](auto& fs) {
      fs.failingOpen = open, fs.failAfter = after;
      fs.beforeOpen = [&fs, open, after](int n) { if (n == open && after == std::string::npos) fs.files.clear(); };
    };
    EXPECT_EQ(Read(memo, setUp), "7|old|old.ugu|old.ugu") << open << " " << after;
  }
}

TEST(CheckScriptPackage, WhereTheDataMustBe) {
  fakes::FakeFileSystem fs;
  for (const char16_t* path :
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\Foo.txt", u"C:\\T\\Bar.ugu", u"C:\\T\\Bar.psn",
        u"C:\\T\\DAT\\mio00.euu", u"C:\\T\\DAT\\aya00.out", u"C:\\T\\README", u"C:\\T\\a.b.ugu", u"C:\\U\\ab.psn",
        u"C:\\U\\AB\\DAT\\aya00.out", u"C:\\U\\abz.Psn", u"C:\\U\\ABZ\\DAT\\aya00.out", u"C:/S/foo.ugu", u"C:/S/FOO/DAT/mio00.euu"})
    fs.Add(path);
  const std::pair<Text, int16_t> rows[] = {
      {u"C:\\S\\Foo.ugu", PackageOk}, {u"C:\\T\\Bar.ugu", PackageOk}, {u"C:\\T\\Bar.psn", PackageMalformed},
      {u"C:\\S\\Gone.ugu", PackageNotFound}, {u"C:\\T\\README", PackageMalformed}, {u"C:\\S\\Foo.txt", PackageMalformed},
      {u"C:\\S\\Foo.ugu\\", PackageMalformed}, {u"C:\\T\\a.b.ugu", PackageOk},
      // Names of fewer than three characters before the first dot have no directory of their own.
      {u"C:\\U\\ab.psn", PackageMalformed}, {u"C:\\U\\abz.Psn", PackageOk},
      {u"C:/S/foo.ugu", PackageMalformed}};  // the directory part ends at a "\" only
  for (const auto& [path, result] : rows) EXPECT_EQ(CheckScriptPackage(path, fs), result) << fakes::U8(path);
}

// Program Files and the Windows folder protected, as on a Windows on drive C.
const VirtualStore kStore{{u"C:\\Program Files", u"C:\\Windows"}, u"C:\\Users\\u\\AppData\\Local\\VirtualStore"};

TEST(VirtualStore, CopyOfAPathInAProtectedFolder) {
  const Text copy = kStore.root + u"\\Program Files\\ZMemo\\USERS\\u\\memo.ini";
  const struct { Text path, copy; } rows[] = {
      {u"C:\\Program Files\\ZMemo\\USERS\\u\\memo.ini", copy},
      {u"c:\\PROGRAM FILES\\ZMemo\\USERS\\u\\memo.ini", kStore.root + u"\\PROGRAM FILES\\ZMemo\\USERS\\u\\memo.ini"},
      {u"C:\\Program Files\\ZMemo\\\\USERS\\.\\x\\..\\u\\memo.ini", copy},  // a root stored ending in "\\"
      {u"C:/Program Files/ZMemo/USERS/u/memo.ini", copy},
      {u"C:\\Program Files (x86)\\ZMemo\\USERS\\u\\memo.ini", u""},  // a name that only begins the same
      {u"D:\\Program Files\\ZMemo\\USERS\\u\\memo.ini", u""},
      {u"C:\\ZMemo\\USERS\\u\\memo.ini", u""},
      {u"C:\\Program Files\\..\\ZMemo\\memo.ini", u""},
      {u"\\\\server\\Program Files\\memo.ini", u""},
      {u"Program Files\\memo.ini", u""}};
  for (const auto& row : rows) EXPECT_EQ(VirtualStoreCopy(row.path, kStore), row.copy) << fakes::U8(row.path);
  EXPECT_EQ(VirtualStoreCopy(rows[0].path, VirtualStore{kStore.protectedFolders, u""}), u"");
}

// The copy ZMemo wrote last is read; the one in place only where Windows keeps no copy, or where it
// was written later (ZMemo run as administrator writes in place).
TEST(VirtualStore, MemoIniToReadIsTheOneWrittenLast) {
  const Text dir = u"C:\\Program Files\\ZMemo\\USERS\\u\\", inPlace = dir + u"memo.ini",
             copy = kStore.root + u"\\Program Files\\ZMemo\\USERS\\u\\memo.ini";
  const struct { uint64_t inPlaceWritten, copyWritten; Text read; } rows[] = {
      {0, 0, inPlace}, {5, 0, inPlace}, {0, 5, copy}, {5, 6, copy}, {6, 6, copy}, {7, 6, inPlace}};
  for (const auto& row : rows) {
    fakes::FakeFileSystem fs;
    for (const auto& [path, written] : {std::pair{inPlace, row.inPlaceWritten}, {copy, row.copyWritten}})
      if (written) fs.Add(path), fs.written[path] = written;
    EXPECT_EQ(MemoIniToRead(dir, kStore, fs), row.read) << row.inPlaceWritten << " " << row.copyWritten;
  }
  EXPECT_EQ(MemoIniToRead(u"C:\\ZMemo\\USERS\\u\\", kStore, fakes::FakeFileSystem()), u"C:\\ZMemo\\USERS\\u\\memo.ini");
}

}  // namespace
}  // namespace karuvel
