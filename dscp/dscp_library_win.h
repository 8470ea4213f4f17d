// chc_dscp.dll, loaded on first use: from ZMemo's folder first, then from the program's own folder,
// each by its full path; never from the current folder or PATH.
#pragma once

#include <windows.h>

#include "common/owners_win.h"
#include "common/text.h"
#include "dscp/dscp_library.h"

namespace karuvel {

class ChcDscpLibrary final : public DscpLibrary {
 public:
  // `zmemoRoot`: ZMemo's install root as the registry gives it, read at each load (start-up sets it
  // after the library object exists). Must outlive the library.
  explicit ChcDscpLibrary(const Text& zmemoRoot) : zmemoRoot_(zmemoRoot) {}
  ChcDscpLibrary(const ChcDscpLibrary&) = delete;
  ChcDscpLibrary& operator=(const ChcDscpLibrary&) = delete;

  // Loads the library if it is not loaded yet (a missing one is looked for again next time).
  bool Send(const char* host, const char* request, char* reply, int32_t& result) override;

 private:
  using SendFn = int32_t(WINAPI*)(const char* host, const char* request, char* reply);
  bool Load();

  const Text& zmemoRoot_;
  UniqueModule module_;
  SendFn send_ = nullptr;
};

}  // namespace karuvel
