// The native code page 932 converter: known characters, the lead-byte rules and the ASCII fast path.
// (The Win32 tests compare every byte sequence with the system's own conversion.)
#include "common/cp932.h"

#include <gtest/gtest.h>

#include "common/ansi.h"

namespace karuvel {
namespace {

TEST(Cp932, DecodesJapaneseWhoseTrailBytesLookLikeAscii) {
  // 表 ソ 能 end in 0x5C ("\"), ダ in 0x5F ("_").
  EXPECT_EQ(AnsiToText("\x95\x5C\x83\x5C\x94\x5C\x83\x5F"), u"表ソ能ダ");
  EXPECT_EQ(AnsiToText("C:\\\x95\x5C\\a_b.ugu"), u"C:\\表\\a_b.ugu");
  EXPECT_EQ(AnsiToText("\xB1\xDE"), u"\uFF71\uFF9E");  // half-width katakana are single bytes
}

TEST(Cp932, LeadByteRules) {
  struct Case {
    std::string bytes;
    Text text;
  } cases[] = {
      {"\x81", u"\u30FB"},                 // lead byte at the end stands alone
      {std::string("\x81\0A", 3), Text(u"\u30FB\0A", 3)},  // NUL is never a trail byte
      {"a\x95", u"a\u30FB"},
      {"\xA0", u"\uF8F0"},                 // bytes with a private mapping come through
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiToText(c.bytes), c.text);
  // Any other byte after a lead byte is taken with it, even one no character uses.
  EXPECT_EQ(AnsiToText("\x81\x0A" "b").size(), 2u);
  EXPECT_EQ(AnsiToText("\x81\x7F" "b").size(), 2u);
}

// The eight-byte ASCII path must hand over to the slow path at every offset.
TEST(Cp932, FastPathAgreesWithCharacterByCharacterDecoding) {
  for (size_t before = 0; before < 20; ++before) {
    for (size_t after = 0; after < 12; ++after) {
      const std::string ascii(before, 'x');
      const std::string bytes = ascii + "\x95\x5C" + std::string(after, 'y') + "\x81";
      const Text expected = Text(before, u'x') + u"表" + Text(after, u'y') + u"\u30FB";
      EXPECT_EQ(cp932::Decode(bytes), expected) << before << " " << after;
    }
  }
}

TEST(Cp932, EncodesAndReportsWhatItCannotHold) {
  EXPECT_EQ(TextToAnsi(u"C:\\表\\ソ能.ugu"), "C:\\\x95\x5C\\\x83\x5C\x94\x5C.ugu");
  bool exact = true;
  EXPECT_EQ(cp932::Encode(u"caf\u00E9\U0001F600", &exact), "cafe??");  // best fit, then no mapping
  EXPECT_FALSE(exact);
  EXPECT_TRUE(IsAnsiRepresentable(u"表示?_=\\"));
  EXPECT_FALSE(IsAnsiRepresentable(u"\u00E9"));
  EXPECT_FALSE(IsAnsiRepresentable(u"\xD800"));
}

}  // namespace
}  // namespace karuvel
