// The seam to chc_dscp.dll's chc_DSCPSend. The Win32 half loads the library on first use; tests
// use a fake.
#pragma once

#include <cstddef>
#include <cstdint>

namespace karuvel {

constexpr std::size_t kReplyBufferSize = 20000;

class DscpLibrary {
 public:
  virtual ~DscpLibrary() = default;
  // Calls chc_DSCPSend(host, request, reply) and stores its result. `host` and `request` are
  // NUL-terminated ANSI text; `reply` is kReplyBufferSize zero-filled bytes, and two more of slack.
  // Returns false, having called nothing, when the library or its export cannot be loaded.
  virtual bool Send(const char* host, const char* request, char* reply, int32_t& result) = 0;
};

}  // namespace karuvel
