// The memo.ini reader: bytes in, the note table out, read in one chunk and in chunks of a few bytes.
#include "settings/memo_ini.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_app.h"

namespace karuvel {
namespace {

using namespace std::string_literals;
using fakes::U8;

// The table as "<note>|<ETag>|<history, comma-separated>|<current script>" per note, joined by " / ".
std::string Rows(const NoteTable& table) {
  std::string out;
  for (int i = 0; i < table.intNoteCount; ++i) {
    const NoteRecord& note = table.Notes[i];
    out += (i ? " / " : "") + std::to_string(note.intNoteNo) + "|" + U8(note.strETag) + "|";
    for (int j = 0; j < note.intHistoryCount; ++j) out += (j ? "," : "") + U8(note.strHistory[j]);
    out += "|" + U8(note.strScriptFileName);
  }
  return out;
}

// A table from an earlier read, with a stale entry past its end: a note newly registered on a
// reused slot must not keep any of that text.
NoteTable Earlier() {
  NoteTable table;
  for (NoteRecord* note : {&table.Notes[0], &table.Notes[1]}) {
    note->intNoteNo = 7;
    note->strETag = note->strHistory[0] = note->strScriptFileName = u"old.ugu";
    note->intHistoryCount = 1;
  }
  table.intNoteCount = 1;
  return table;
}
const std::string kEarlier = "7|old.ugu|old.ugu|old.ugu";

std::string Read(fakes::FakeFileSystem& fs) {
  NoteTable table = Earlier();
  ReadMemoIni(u"memo.ini", table, fs);
  return Rows(table);
}

TEST(MemoIni, BytesGiveTheirTable) {
  const struct {
    std::string bytes, table;
  } rows[] = {
      // Notes in the order of their enable lines; keys match without case, three of them by prefix.
      {"[Memo]\r\n2_ScriptEnableDscpServer=true\r\n5_ETag=E5\r\n5_scriptenabledscpserver=TRUE\r\n2_etag=E2\r\n"
       "5_WATERMARKHISTORY-000=A\r\n5_watermarkhistory-=B\r\n5_WatermarkHistory=no\r\n5_ScriptFileNam=no\r\n"
       "5_scriptfilename.bak=C\r\n5_ETag2=no\r\n7_ETag=E7\r\n",
       "2|E2|| / 5|E5|A,B,C|C"},
      // Only "true" in any case enables, nothing around it; "#" first comments a line out.
      {"1_ScriptEnableDscpServer=True\r\n4_ScriptEnableDscpServer= true\r\n5_ScriptEnableDscpServer=true \r\n"
       "6_ScriptEnableDscpServer=1\r\n7_ScriptEnableDscpServerX=true\r\n#8_ScriptEnableDscpServer=true\r\n",
       "1|||"},
      // Each script once, in the order of first mention, the current one included.
      {"1_ScriptEnableDscpServer=true\r\n1_WatermarkHistory-005=b\r\n1_WatermarkHistory-001=a\r\n"
       "1_WatermarkHistory-002=b\r\n1_ScriptFileName=a\r\n1_WatermarkHistory-003=B\r\n1_WatermarkHistory-004=\r\n",
       "1||b,a,B,|a"},
      // A note enabled twice takes two entries; the first gets its settings.
      {"3_ScriptEnableDscpServer=true\r\n3_ETag=E3\r\n3_ScriptEnableDscpServer=true\r\n3_ScriptFileName=s\r\n",
       "3|E3|s|s / 3|||"},
      // CR LF, a lone CR, a lone LF, an empty line, and a last line without an end.
      {"1_ScriptEnableDscpServer=true\r1_ETag=e\n1_WatermarkHistory-0=a\r\n\r\n1_WatermarkHistory-1=b\n\r"
       "1_ScriptFileName=c",
       "1|e|a,b,c|c"},
      // Trail bytes 0x5F and 0x5C: ダ (83 5F) is no "_" and 表 ソ 能 (95 5C, 83 5C, 94 5C) hold no "\".
      {"0_ScriptEnableDscpServer=true\r\n\x83\x5F_ETag=\x95\x5C=\x83\x5C_\x94\x5C\\\r\n"
       "0_ScriptFileName=C:\\\x95\x5C\\\x83\x5C\x94\x5C\\\x83\x5F_x.ugu\r\n",
       "0|表=ソ_能\\|C:\\表\\ソ能\\ダ_x.ugu|C:\\表\\ソ能\\ダ_x.ugu"},
      // A lead byte before a line end or a NUL stands alone; a NUL inside a value is kept.
      {"1_ScriptEnableDscpServer=true\r\n1_ETag=a\x81\r\n1_ScriptFileName=\x81\0b\n"s, "1|a・|・\0b|・\0b"s},
      // Note numbers: spaces, a sign, digits to the first other character; outside 16 bits the line fails.
      {"32767_ScriptEnableDscpServer=true\r\n-32768_ScriptEnableDscpServer=true\r\n"
       "  7abc_ScriptEnableDscpServer=true\r\nabc_ScriptEnableDscpServer=true\r\n+5_ScriptEnableDscpServer=true\r\n"
       "32768_ScriptEnableDscpServer=true\r\n-32769_ScriptEnableDscpServer=true\r\n"
       "4294967303_ScriptEnableDscpServer=true\r\n0_ETag=zero\r\n",
       "32767||| / -32768||| / 7||| / 0|zero|| / 5|||"},
      {"1_ETag=x\r\n", ""},
  };
  for (const auto& row : rows) {
    for (size_t step : {size_t{64 * 1024}, size_t{1}, size_t{3}}) {
      fakes::FakeFileSystem fs;
      fs.Add(u"memo.ini", row.bytes);
      fs.step = step;
      EXPECT_EQ(Read(fs), row.table) << row.bytes << "\nin steps of " << step;
    }
  }
}

TEST(MemoIni, KeepsTheFirst101NotesAndScripts) {
  std::string bytes;
  for (int n = 199; n >= 0; --n) bytes += std::to_string(n) + "_ScriptEnableDscpServer=true\r\n";
  for (int s = 0; s < 300; ++s)  // repeats take no room
    bytes += "199_WatermarkHistory-x=" + std::to_string(s) + "\r\n199_WatermarkHistory-y=0\r\n";
  fakes::FakeFileSystem fs;
  fs.Add(u"memo.ini", bytes + "199_ScriptFileName=299\r\n");
  NoteTable table;
  ReadMemoIni(u"memo.ini", table, fs);
  ASSERT_EQ(table.intNoteCount, 101);
  EXPECT_EQ(table.Notes[100].intNoteNo, 99);
  EXPECT_EQ(table.Notes[0].intHistoryCount, 101);
  EXPECT_EQ(table.Notes[0].strHistory[100], u"100");
  EXPECT_EQ(table.Notes[0].strScriptFileName, u"299");
}

TEST(MemoIni, FileThatCannotBeReadInEitherPassLeavesTheTable) {
  const std::string memo = "2_ScriptEnableDscpServer=true\r\n2_ETag=new\r\n";
  const struct {
    int refusedOpen, failingOpen;
    size_t failAfter;
  } faults[] = {{1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {0, 1, 20}, {0, 2, 0}, {0, 2, memo.size()}, {0, 0, 0}};
  for (const auto& fault : faults) {
    fakes::FakeFileSystem fs;
    if (fault.refusedOpen + fault.failingOpen) fs.Add(u"memo.ini", memo);  // else: no file at all
    fs.refusedOpen = fault.refusedOpen;
    fs.failingOpen = fault.failingOpen;
    fs.failAfter = fault.failAfter;
    EXPECT_EQ(Read(fs), kEarlier) << fault.refusedOpen << fault.failingOpen << fault.failAfter;
  }
  // Rewritten between the passes: the notes come from the first, their settings from the second.
  fakes::FakeFileSystem fs;
  fs.Add(u"memo.ini", "1_ScriptEnableDscpServer=true\r\n2_ScriptEnableDscpServer=true\r\n");
  fs.beforeOpen = [&](int open) {
    if (open == 2) fs.Add(u"memo.ini", "2_ETag=two\r\n3_ScriptEnableDscpServer=true\r\n");
  };
  EXPECT_EQ(Read(fs), "1||| / 2|two||");
}

}  // namespace
}  // namespace karuvel
