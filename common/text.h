// Text inside Karuvel: UTF-16 code units with Windows semantics. A character is one 16-bit unit,
// which is how every position and length in the program counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace karuvel {

using Text = std::u16string;
using TextView = std::u16string_view;

// Upper-cases a to z only, as the settings keys and script kinds are compared.
Text UpperAscii(TextView text);
bool EqualsIgnoreAsciiCase(TextView a, TextView b);
bool StartsWithIgnoreAsciiCase(TextView text, TextView prefix);

// UTF-8 <-> UTF-16 for the edges that speak UTF-8 (POSIX paths, test sources).
// Ill-formed input becomes U+FFFD; never fails.
Text Utf8ToText(std::string_view utf8);
std::string TextToUtf8(TextView text);

}  // namespace karuvel
