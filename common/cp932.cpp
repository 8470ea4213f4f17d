#include "common/cp932.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/cp932_table.h"

namespace karuvel::cp932 {

void DecodeInto(std::string_view bytes, Text& out) {
  out.resize(bytes.size());  // never more units than bytes
  const unsigned char* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = s + bytes.size();
  char16_t* d = out.data();
  while (s < end) {
    if (*s < 0x80) {
      // ASCII runs, eight bytes at a time: bytes below 0x80 are themselves.
      while (end - s >= 8) {
        uint64_t word;
        std::memcpy(&word, s, 8);
        if (word & 0x8080808080808080ull) break;
        for (int i = 0; i < 8; ++i) d[i] = s[i];
        s += 8;
        d += 8;
      }
      while (s < end && *s < 0x80) *d++ = *s++;
      continue;
    }
    // Runs of other bytes, double-byte characters mostly.
    do {
      const unsigned char b = *s;
      const unsigned row = kLeadRow[b];
      if (row != 0 && end - s >= 2 && s[1] != 0) {
        *d++ = kPair[row - 1][s[1]];
        s += 2;
      } else {
        *d++ = kSingle[b];
        ++s;
      }
    } while (s < end && *s >= 0x80);
  }
  out.resize(static_cast<size_t>(d - out.data()));
}

Text Decode(std::string_view bytes) {
  Text out;
  DecodeInto(bytes, out);
  return out;
}

std::string Encode(TextView text, bool* exact) {
  std::string out;
  out.reserve(text.size());
  bool all = true;
  const EncodeEntry* const first = kEncode;
  const EncodeEntry* const last = kEncode + kEncodeCount;
  for (const char16_t u : text) {
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    const EncodeEntry* e =
        std::lower_bound(first, last, u, [](const EncodeEntry& a, char16_t v) { return a.unit < v; });
    if (e == last || e->unit != u) {
      out.push_back('?');
      all = false;
    } else if (e->code < 0x100) {
      out.push_back(static_cast<char>(e->code));
    } else {
      out.push_back(static_cast<char>(e->code >> 8));
      out.push_back(static_cast<char>(e->code & 0xFF));
    }
  }
  if (exact) *exact = all;
  return out;
}

bool IsRepresentable(TextView text) {
  bool exact = false;
  const std::string bytes = Encode(text, &exact);
  // A best-fit mapping has an entry of its own but does not come back as the same unit.
  return exact && Decode(bytes) == text;
}

}  // namespace karuvel::cp932
