#include <windows.h>

#include <cstring>
#include <string_view>

#include "common/ansi.h"
#include "settings/user_dir.h"

namespace karuvel {

Text GetCurrentUserName() {
  char buffer[128] = {};
  DWORD size = sizeof buffer;
  // A failed call leaves the buffer empty, which reads as "default".
  GetUserNameA(buffer, &size);
  return UserNameOrDefault(AnsiToText(std::string_view(buffer, strnlen(buffer, sizeof buffer))));
}

}  // namespace karuvel
