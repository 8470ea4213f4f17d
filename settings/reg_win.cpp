#include "settings/reg.h"

#include <cstring>
#include <exception>
#include <new>

#include "common/ansi.h"
#include "common/error_box_win.h"
#include "common/owners_win.h"

namespace karuvel {

namespace {

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY |
// KEY_CREATE_LINK: the mask ZMemo's key has always been opened with, reads included.
constexpr REGSAM kKeyAccess = 0x3F;
constexpr DWORD kReadBufferSize = 256;

}  // namespace

Text cReg::RegGetString(const HKEY& lnghInKey, Text strSubKey, Text strValName) const {
  char buffer[kReadBufferSize] = {};
  DWORD size = kReadBufferSize;
  const std::string subKey = TextToAnsi(strSubKey);
  const std::string valueName = TextToAnsi(strValName);

  UniqueKey key;
  if (RegOpenKeyExA(lnghInKey, subKey.c_str(), 0, kKeyAccess, key.Put()) != ERROR_SUCCESS) return Text();

  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
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
    UniqueKey key;
    if (RegCreateKeyExA(lnghKey, subKey.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, kKeyAccess, &security,
                        key.Put(), &disposition) != ERROR_SUCCESS)
      return false;

    // The byte count of the ANSI text, so double-byte characters are stored whole, plus its NUL.
    const DWORD byteCount = static_cast<DWORD>(data.size()) + 1;
    return RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          byteCount) == ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    ShowErrorReport(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::exception&) {
    ShowErrorReport(ERROR_INVALID_DATA);
  }
  return false;
}

}  // namespace karuvel
