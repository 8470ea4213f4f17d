// Windows: the system ANSI code page through MultiByteToWideChar and WideCharToMultiByte.
#include <windows.h>

#include <climits>

#include "common/ansi.h"

namespace karuvel {

namespace {
// The Win32 calls count in int; longer text is converted in pieces that never split a character.
constexpr size_t kMaxPiece = INT_MAX / 4;
}  // namespace

Text AnsiToText(std::string_view bytes) {
  Text out;
  AnsiToText(bytes, out);
  return out;
}

void AnsiToText(std::string_view bytes, Text& out) {
  out.clear();
  while (!bytes.empty()) {
    size_t n = bytes.size() < kMaxPiece ? bytes.size() : kMaxPiece;
    // Do not end a piece between a lead byte and its trail byte.
    if (n < bytes.size()) {
      size_t k = 0;
      while (k < n) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(bytes[k])) ? 2 : 1;
        if (k + step > n) break;
        k += step;
      }
      n = k;
    }
    const int len = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), nullptr, 0);
    if (len <= 0) break;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(len));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n),
                        reinterpret_cast<wchar_t*>(&out[at]), len);
    bytes.remove_prefix(n);
  }
}

std::string TextToAnsi(TextView text) {
  std::string out;
  if (text.empty()) return out;
  if (text.size() > kMaxPiece) text = text.substr(0, kMaxPiece);
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  const int wlen = static_cast<int>(text.size());
  const int len = WideCharToMultiByte(CP_ACP, 0, w, wlen, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return out;
  out.resize(static_cast<size_t>(len));
  WideCharToMultiByte(CP_ACP, 0, w, wlen, &out[0], len, nullptr, nullptr);
  return out;
}

bool IsAnsiRepresentable(TextView text) {
  if (text.empty()) return true;
  if (text.size() > kMaxPiece) return false;
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  const int wlen = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, wlen, nullptr, 0, nullptr, &usedDefault);
  if (len <= 0 || usedDefault) return false;
  std::string bytes(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, wlen, &bytes[0], len, nullptr, &usedDefault);
  return !usedDefault && AnsiToText(bytes) == text;
}

}  // namespace karuvel
