// The portable code page 932 converter against the system's own conversion under Wine: every byte,
// every two-byte sequence, long mixed text and every UTF-16 unit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/ansi.h"
#include "common/cp932.h"

namespace karuvel {
namespace {

Text SystemDecode(const std::string& bytes) {
  Text out(bytes.size(), u'\0');
  out.resize(MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()),
                                 reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size())));
  return out;
}

std::string SystemEncode(char16_t unit) {
  char out[2];
  const int n = WideCharToMultiByte(932, 0, reinterpret_cast<const wchar_t*>(&unit), 1, out, 2, nullptr, nullptr);
  return std::string(out, n);
}

TEST(Cp932, DecodesAsTheSystem) {
  ASSERT_EQ(GetACP(), 932u);
  // Runs of ASCII (the eight-byte path and the bytes after it) among lead, trail, lone and NUL bytes.
  std::string mixed;
  for (uint32_t x = 1; mixed.size() < 1000000;) {
    x = x * 1664525u + 1013904223u;
    mixed.push_back(static_cast<char>(x >> 30 ? (x >> 16) & 0x7F : x >> 16));
  }
  int mismatches = 0;
  std::string first;
  auto check = [&](const std::string& bytes) {
    if (cp932::Decode(bytes) != SystemDecode(bytes) && mismatches++ == 0)
      first = bytes.size() > 2 ? "the mixed text" : testing::PrintToString(bytes);
  };
  for (unsigned b = 0; b < 256; ++b) check(std::string(1, static_cast<char>(b)));
  for (unsigned b = 0; b < 0x10000; ++b) check({static_cast<char>(b >> 8), static_cast<char>(b)});
  check(mixed);
  EXPECT_EQ(mismatches, 0) << "first: " << first;
}

TEST(Cp932, EncodesEveryUnitAsTheSystem) {
  int mismatches = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const Text unit(1, static_cast<char16_t>(u));
    if ((cp932::Encode(unit) != SystemEncode(unit[0]) || cp932::IsRepresentable(unit) != IsAnsiRepresentable(unit)) &&
        ++mismatches <= 10)
      ADD_FAILURE() << "unit " << u;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(IsAnsiRepresentable(u"C:\\表\\ソ能_=.ugu"));
  EXPECT_FALSE(IsAnsiRepresentable(u"caf\u00E9"));  // best fit would make it "cafe"
}

}  // namespace
}  // namespace karuvel
