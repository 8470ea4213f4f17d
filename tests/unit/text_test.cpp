#include "common/text.h"

#include <gtest/gtest.h>

namespace karuvel {
namespace {

TEST(Text, UpperCasesOnlyAsciiLetters) {
  EXPECT_EQ(UpperAscii(u"abzAZ09_-ａé表"), u"ABZAZ09_-ａé表");
}

TEST(Text, CaseInsensitiveComparisonIsAsciiOnly) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"ScriptEnableDscpServer", u"SCRIPTENABLEDSCPSERVER"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"true", u"true "));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"ａ", u"Ａ"));  // full-width letters are not folded
  EXPECT_TRUE(StartsWithIgnoreAsciiCase(u"watermarkhistory-000", u"WatermarkHistory-"));
  EXPECT_FALSE(StartsWithIgnoreAsciiCase(u"Watermark", u"WatermarkHistory-"));
}

TEST(Text, Utf8RoundTripsAndReplacesIllFormedInput) {
  const Text sample = u"C:\\ZMemo\\表示ソ能\\a.ugu \U0001F600";
  EXPECT_EQ(Utf8ToText(TextToUtf8(sample)), sample);
  EXPECT_EQ(Utf8ToText("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToText("\xe8\xa1"), u"\uFFFD");          // truncated sequence
  EXPECT_EQ(Utf8ToText("\xc0\xaf"), u"\uFFFD\uFFFD");    // overlong slash
  EXPECT_EQ(TextToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");    // lone surrogate
}

}  // namespace
}  // namespace karuvel
