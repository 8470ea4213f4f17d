// String values in the registry through the ANSI registry calls. Each call opens (or creates) its
// own key and closes it before returning; the class keeps no handles. Windows only.
#pragma once

#include <windows.h>

#include "common/text.h"

namespace karuvel {

class cReg {
 public:
  // The REG_SZ value strValName of the key strSubKey below lnghInKey, cut at its first NUL. Every
  // failure (key or value missing, access refused, another type, 256 ANSI bytes or more with the
  // NUL) gives the empty string.
  Text RegGetString(const HKEY& lnghInKey, Text strSubKey, Text strValName) const;

  // Writes strValue as the REG_SZ value strSetValue of strSubKey below lnghKey, creating the whole
  // key path when missing. False when the key cannot be created or the value is not written; an
  // unexpected error is shown as "ERROR #n : description" and also gives false.
  bool RegSetString(const HKEY& lnghKey, const Text& strSubKey, Text strSetValue, Text strValue) const;
};

}  // namespace karuvel
