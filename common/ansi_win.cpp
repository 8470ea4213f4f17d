// Windows: the system ANSI code page through MultiByteToWideChar and WideCharToMultiByte.
#include "common/ansi.h"

#include <windows.h>

#include <climits>

namespace karuvel {

Text AnsiToText(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return Text();
  const int size = static_cast<int>(bytes.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (count <= 0) return Text();
  Text out(static_cast<std::size_t>(count), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&out[0]), count);
  return out;
}

std::string TextToAnsi(TextView text) {
  if (text.empty() || text.size() > INT_MAX) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int count = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return std::string();
  std::string out(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, &out[0], count, nullptr, nullptr);
  return out;
}

bool IsAnsiRepresentable(TextView text) {
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  BOOL usedDefault = FALSE;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, &usedDefault);
  return count > 0 && !usedDefault && AnsiToText(TextToAnsi(text)) == Text(text);
}

}  // namespace karuvel
