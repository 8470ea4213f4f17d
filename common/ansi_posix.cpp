// Native builds: code page 932, the ANSI code page of a Japanese Windows system.
#include "common/ansi.h"

#include "common/cp932.h"

namespace karuvel {

Text AnsiToText(std::string_view bytes) { return cp932::Decode(bytes); }

void AnsiToText(std::string_view bytes, Text& out) { cp932::DecodeInto(bytes, out); }

std::string TextToAnsi(TextView text) { return cp932::Encode(text); }

bool IsAnsiRepresentable(TextView text) { return cp932::IsRepresentable(text); }

}  // namespace karuvel
