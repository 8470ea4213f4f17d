// The portable code page 932 converter against the system's own conversion under Wine: every byte,
// every two-byte sequence, long mixed text and every UTF-16 unit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "common/ansi.h"
#include "common/cp932.h"
#include "common/owners_win.h"

namespace karuvel {
namespace {

TEST(Cp932, DecodesAsTheSystem) {
  ASSERT_EQ(GetACP(), 932u);
  int mismatches = 0;
  std::string first;
  auto check = [&](const std::string& bytes) {
    Text system(bytes.size(), u'\0');
    const int size = static_cast<int>(bytes.size());
    system.resize(MultiByteToWideChar(932, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(system.data()), size));
    if (cp932::Decode(bytes) != system && mismatches++ == 0) first = testing::PrintToString(bytes.substr(0, 8));
  };
  for (unsigned b = 0; b < 256; ++b) check(std::string(1, static_cast<char>(b)));
  for (unsigned b = 0; b < 0x10000; ++b) check({static_cast<char>(b >> 8), static_cast<char>(b)});
  // Runs of ASCII (eight bytes at a time and the rest) among lead, trail, lone and NUL bytes.
  std::string mixed;
  for (uint32_t x = 1; mixed.size() < 1000000; x = x * 1664525u + 1013904223u)
    mixed.push_back(static_cast<char>(x >> 30 ? (x >> 16) & 0x7F : x >> 16));
  check(mixed);
  EXPECT_EQ(mismatches, 0) << "first: " << first;
}

TEST(Cp932, EncodesEveryUnitAsTheSystem) {
  int mismatches = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const Text unit(1, static_cast<char16_t>(u));
    char system[2];
    const int size = WideCharToMultiByte(932, 0, Wide(unit), 1, system, 2, nullptr, nullptr);
    if ((cp932::Encode(unit) != std::string(system, size) || cp932::IsRepresentable(unit) != IsAnsiRepresentable(unit)) &&
        ++mismatches <= 10)
      ADD_FAILURE() << "unit " << u;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(IsAnsiRepresentable(u"C:\\表\\ソ能_=.ugu"));
  EXPECT_FALSE(IsAnsiRepresentable(u"caf\u00E9"));  // best fit would make it "cafe"
}

}  // namespace
}  // namespace karuvel
