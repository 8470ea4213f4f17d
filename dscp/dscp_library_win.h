// chc_dscp.dll, loaded on first use: from the program's own directory first, then from the
// system's safe search path (never the current directory).
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

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
  struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };
  bool Load();

  std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree> module_;
  SendFn send_ = nullptr;
};

}  // namespace karuvel
