#include "common/error_box_win.h"

#include <string>

#include "common/owners_win.h"

namespace karuvel {

namespace {

// The system's description of a Win32 error code, without the trailing line break.
Text SystemErrorText(DWORD code) {
  wchar_t buffer[512] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      code, 0, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]), nullptr);
  Text text(reinterpret_cast<const char16_t*>(buffer), length);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
    text.pop_back();
  return text;
}

}  // namespace

Text ErrorReportText(DWORD code) {
  return u"ERROR #" + Utf8ToText(std::to_string(code)) + u" : " + SystemErrorText(code);
}

void ShowErrorReport(DWORD code, HWND owner) {
  MessageBoxW(owner, Wide(ErrorReportText(code)), L"KARUVEL", MB_OK);
}

}  // namespace karuvel
