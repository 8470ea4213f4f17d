// The portable code page 932 converter against the system's own conversion under Wine: every byte,
// every two-byte sequence, every UTF-16 unit, and long mixed text.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/ansi.h"
#include "common/cp932.h"

namespace karuvel {
namespace {

Text SystemDecode(const std::string& bytes) {
  if (bytes.empty()) return Text();
  const int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  Text out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(&out[0]), n);
  return out;
}

std::string SystemEncode(const Text& text) {
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(932, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, w, static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// Deterministic pseudo-random bytes, weighted towards lead bytes and ASCII.
std::string MixedBytes(size_t size, uint32_t seed) {
  std::string out;
  uint32_t x = seed;
  while (out.size() < size) {
    x = x * 1664525u + 1013904223u;
    const unsigned r = x >> 24;
    if (r < 96) {
      for (unsigned k = 0; k < (x >> 8) % 20; ++k) out.push_back(static_cast<char>('A' + k % 26));
    } else {
      out.push_back(static_cast<char>((x >> 8) & 0xFF));
    }
  }
  out.resize(size);
  return out;
}

TEST(Cp932, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST(Cp932, DecodesEverySingleByteAsTheSystem) {
  for (unsigned b = 0; b < 256; ++b) {
    const std::string bytes(1, static_cast<char>(b));
    EXPECT_EQ(cp932::Decode(bytes), SystemDecode(bytes)) << "byte " << b;
  }
}

TEST(Cp932, DecodesEveryTwoByteSequenceAsTheSystem) {
  int mismatches = 0;
  for (unsigned lead = 0; lead < 256; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      if (cp932::Decode(bytes) != SystemDecode(bytes) && ++mismatches <= 10)
        ADD_FAILURE() << "bytes " << lead << " " << trail;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(Cp932, DecodesLongMixedTextAsTheSystem) {
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    const std::string bytes = MixedBytes(200000 + seed, seed);
    EXPECT_EQ(cp932::Decode(bytes), SystemDecode(bytes)) << "seed " << seed;
  }
}

TEST(Cp932, EncodesEveryUnitAsTheSystem) {
  int mismatches = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const Text text(1, static_cast<char16_t>(u));
    if (cp932::Encode(text) != SystemEncode(text) && ++mismatches <= 10) ADD_FAILURE() << "unit " << u;
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(Cp932, RepresentableAgreesWithTheSystemForEveryUnit) {
  int mismatches = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const Text text(1, static_cast<char16_t>(u));
    if (cp932::IsRepresentable(text) != IsAnsiRepresentable(text) && ++mismatches <= 10)
      ADD_FAILURE() << "unit " << u;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(IsAnsiRepresentable(u"C:\\表\\ソ能_=.ugu"));
  EXPECT_FALSE(IsAnsiRepresentable(u"caf\u00E9"));
}

}  // namespace
}  // namespace karuvel
