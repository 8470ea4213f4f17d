// Text conversions, the user directory and the native file system.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/ansi.h"
#include "common/file_system.h"
#include "settings/user_dir.h"

namespace karuvel {
namespace {

TEST(Text, ConversionsKeepEveryCharacterAndStopAtTheirEnd) {
  alarm(10);  // a conversion that never ends fails here, not at the runner's timeout
  const Text sample = u"C:\\°\\表示ソ能\\a.ugu \U0001F600";
  EXPECT_EQ(TextToUtf8(sample), "C:\\°\\表示ソ能\\a.ugu \U0001F600");
  EXPECT_EQ(Utf8ToText(TextToUtf8(sample)), sample);
  EXPECT_EQ(Utf8ToText("a\xFF" "b\xE8\xA1"), u"a\uFFFDb\uFFFD");  // a stray byte, a cut sequence
  EXPECT_EQ(Utf8ToText("\xC0\xAF"), u"\uFFFD\uFFFD");             // an overlong "/"
  EXPECT_EQ(TextToUtf8(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_EQ(AnsiToText(std::string_view("\x95\x5C\x95\x5C", 2)), u"表");  // nothing past the bytes given
  alarm(0);
  EXPECT_EQ(UserNameOrDefault(u"   "), u"default");
  EXPECT_EQ(UserNameOrDefault(u""), u"default");
  EXPECT_EQ(UserNameOrDefault(u" a\t"), u" a\t");
}

TEST(RealFileSystem, OrdinaryFilesOnlyAndReadsToTheEnd) {
  char name[] = "/tmp/karuvel-unit-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  const struct Dir {
    std::filesystem::path path;
    ~Dir() { std::filesystem::remove_all(path); }
  } dir{name};
  for (const char* file : {"memo.ini", ".memo.ini"}) std::ofstream(dir.path / file) << "1_ETag=e\r\n";
  std::filesystem::create_directory(dir.path / "sub.ini");
  const Text root = Utf8ToText(name) + u"/";
  const FileSystem& fs = RealFileSystem();
  EXPECT_TRUE(fs.IsOrdinaryFile(root + u"memo.ini"));
  for (const Text& other : {root + u".memo.ini", root + u"sub.ini", root + u"memo.in?", root + u"absent", Text(),
                            root + u"memo.ini" + Text(1, u'\0')})
    EXPECT_FALSE(fs.IsOrdinaryFile(other)) << TextToUtf8(other);
  char buffer[64];
  const auto stream = fs.OpenRead(root + u"memo.ini");
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 10);
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(fs.OpenRead(root + u"sub.ini")->Read(buffer, sizeof buffer), -1);  // a directory cannot be read
  EXPECT_EQ(fs.OpenRead(root + u"absent"), nullptr);
}

}  // namespace
}  // namespace karuvel
