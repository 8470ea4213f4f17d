#include "settings/reg.h"

#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "common/ansi.h"

namespace karuvel {

namespace {

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY |
// KEY_CREATE_LINK: the mask ZMemo's key has always been opened with, reads included.
constexpr REGSAM kKeyAccess = 0x3F;
constexpr DWORD kReadBufferSize = 256;

// Closes an opened key on every path out of a call.
class KeyOwner {
 public:
  KeyOwner() = default;
  KeyOwner(const KeyOwner&) = delete;
  KeyOwner& operator=(const KeyOwner&) = delete;
  ~KeyOwner() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

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

void ShowUnexpectedError(DWORD code) {
  Text message = u"ERROR #" + Utf8ToText(std::to_string(code)) + u" : " + SystemErrorText(code);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(message.c_str()), L"KARUVEL", MB_OK);
}

}  // namespace

Text cReg::RegGetString(const HKEY& lnghInKey, Text strSubKey, Text strValName) const {
  char buffer[kReadBufferSize] = {};
  DWORD size = kReadBufferSize;
  const std::string subKey = TextToAnsi(strSubKey);
  const std::string valueName = TextToAnsi(strValName);

  KeyOwner key;
  if (RegOpenKeyExA(lnghInKey, subKey.c_str(), 0, kKeyAccess, key.out()) != ERROR_SUCCESS) return Text();

  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return Text();
  // A value stored without its NUL may fill the buffer: then all of it is the text.
  const std::size_t length = strnlen(buffer, kReadBufferSize);
  return AnsiToText(std::string_view(buffer, length));
}

bool cReg::RegSetString(const HKEY& lnghKey, const Text& strSubKey, Text strSetValue, Text strValue) const {
  try {
    const std::string subKey = TextToAnsi(strSubKey);
    const std::string valueName = TextToAnsi(strSetValue);
    const std::string data = TextToAnsi(strValue);
    if (data.size() >= MAXDWORD) return false;

    char noClass[1] = {};
    SECURITY_ATTRIBUTES security{};  // all zero: default security, not inheritable
    DWORD disposition = 0;
    KeyOwner key;
    if (RegCreateKeyExA(lnghKey, subKey.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, kKeyAccess, &security,
                        key.out(), &disposition) != ERROR_SUCCESS)
      return false;

    // The byte count of the ANSI text, so double-byte characters are stored whole, plus its NUL.
    const DWORD byteCount = static_cast<DWORD>(data.size()) + 1;
    return RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          byteCount) == ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    ShowUnexpectedError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::exception&) {
    ShowUnexpectedError(ERROR_INVALID_DATA);
  }
  return false;
}

}  // namespace karuvel
