// Code page 932 as Wine's MultiByteToWideChar and WideCharToMultiByte convert it, measured by
// tools/gen-cp932 (the table source is generated; see cp932_table.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace karuvel::cp932 {

// Each byte converted alone: a lead byte at the end of the text, or before NUL, gives this too.
extern const char16_t kSingle[256];
// 0 for a byte that is not a lead byte, else 1 + its row in kPair.
extern const unsigned char kLeadRow[256];
// A lead byte followed by any trail byte but NUL: kPair[kLeadRow[lead] - 1][trail].
extern const char16_t kPair[][256];

// UTF-16 units above 0x7F that code page 932 holds (directly or by best fit), sorted by unit;
// code is the single byte, or lead << 8 | trail. Units not listed become "?".
struct EncodeEntry {
  uint16_t unit;
  uint16_t code;
};
extern const EncodeEntry kEncode[];
extern const std::size_t kEncodeCount;

}  // namespace karuvel::cp932
