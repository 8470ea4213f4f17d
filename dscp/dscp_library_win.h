// chc_dscp.dll, loaded on first use: from the program's own directory first, then from the
// system's safe search path (never the current directory).
#pragma once

#include <windows.h>

#include "common/owners_win.h"
#include "dscp/dscp_library.h"

namespace karuvel {

class ChcDscpLibrary final : public DscpLibrary {
 public:
  ChcDscpLibrary() = default;
  ChcDscpLibrary(const ChcDscpLibrary&) = delete;
  ChcDscpLibrary& operator=(const ChcDscpLibrary&) = delete;

  // Loads the library if it is not loaded yet (a missing one is looked for again next time).
  bool Send(const char* host, const char* request, char* reply, int32_t& result) override;

 private:
  using SendFn = int32_t(WINAPI*)(const char* host, const char* request, char* reply);
  bool Load();

  UniqueModule module_;
  SendFn send_ = nullptr;
};

}  // namespace karuvel
