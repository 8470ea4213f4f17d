// Code page 932 (Shift-JIS as Windows extends it), converted exactly as Wine's MultiByteToWideChar
// and WideCharToMultiByte do with no flags. Portable: the native ANSI edge is built on it, and the
// Win32 tests compare it with the system's own conversion.
#pragma once

#include <string>
#include <string_view>

#include "common/text.h"

namespace karuvel::cp932 {

// Bytes to UTF-16; never fails. A lead byte takes the next byte with it unless that byte is NUL or
// missing; bytes without a character become U+30FB as the system's conversion gives.
Text Decode(std::string_view bytes);
// Same, into `out` (replaced), so a caller converting many lines can keep one buffer.
void DecodeInto(std::string_view bytes, Text& out);

// UTF-16 to bytes; units that code page 932 cannot hold become "?". `exact`, when given, is set to
// whether every unit had a mapping of its own (no "?" put in for a unit that is not "?").
std::string Encode(TextView text, bool* exact = nullptr);

// True when the text survives Encode and Decode unchanged with no "?" put in and no best-fit
// mapping, as WideCharToMultiByte with WC_NO_BEST_FIT_CHARS decides.
bool IsRepresentable(TextView text);

}  // namespace karuvel::cp932
