// The ANSI code page at the edges. Bytes from memo.ini, the registry, the user name and the DSCP
// library are converted here before anything looks at them: Shift-JIS trail bytes include 0x5C "\"
// and 0x5F "_", so byte-wise searching would split characters.
#pragma once

#include <string>
#include <string_view>

#include "common/text.h"

namespace karuvel {

// Bytes in the ANSI code page to UTF-16. Invalid bytes become the platform's replacement character;
// never fails. Windows: MultiByteToWideChar(CP_ACP). Native: the code page 932 table.
Text AnsiToText(std::string_view bytes);
// Same, into `out` (its old content replaced), so a caller converting many lines reuses one buffer.
void AnsiToText(std::string_view bytes, Text& out);

// UTF-16 to the ANSI code page, with the platform's default substitutions for what it cannot hold.
std::string TextToAnsi(TextView text);

// True when the text survives a round trip through the ANSI code page unchanged (no best-fit
// mapping, no default character).
bool IsAnsiRepresentable(TextView text);

}  // namespace karuvel
