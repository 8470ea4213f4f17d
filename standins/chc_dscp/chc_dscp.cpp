// Stand-in for chc_dscp.dll: carries one DSCP request to the stand-in host over TCP on the
// loopback address and copies the reply into the caller's 20000-byte buffer.
//
// Results: 0 the reply is in the buffer; -1 the request has no command line; -2 Winsock could not
// start or the host address is not an IPv4 literal; -3 the connection failed; -4 sending failed;
// -5 the connection or the reply timed out; -6 receiving failed. On every failure the buffer holds
// a short text saying what failed. KARUVEL_DSCP_FORCE_RESULT replaces the result of a completed
// exchange, and KARUVEL_DSCP_ONLY_IN makes a copy loaded from another folder refuse with -2, for tests.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standins/dscp_wire.h"

namespace {

int EnvInt(const char* name, int fallback) {
  char value[32] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return fallback;
  char* end = nullptr;
  const long parsed = std::strtol(value, &end, 10);
  return (end != value && *end == '\0' && parsed > 0 && parsed < 0x7FFFFFFF) ? static_cast<int>(parsed)
                                                                              : fallback;
}

// Whether this copy of the library was loaded from `folder`, given without its trailing backslash;
// Windows paths match without regard to letter case.
bool LoadedFrom(const char* folder) {
  HMODULE self = nullptr;
  char path[MAX_PATH] = {};
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&LoadedFrom), &self))
    return false;
  const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  char* name = std::strrchr(path, '\\');
  if (n == 0 || n >= MAX_PATH || name == nullptr) return false;
  *name = '\0';
  return lstrcmpiA(path, folder) == 0;
}

void SetReply(char* reply, const char* text) {
  std::snprintf(reply, KARUVEL_DSCP_REPLY_BUFFER, "%s", text);
}

class WinsockSession {
 public:
  WinsockSession() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockSession() {
    if (ok_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool ok() const { return ok_; }

 private:
  WSADATA data_{};
  bool ok_ = false;
};

class Socket {
 public:
  Socket() : s_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

// Waits until the socket is readable (or writable), at most until `deadline` (GetTickCount).
// Returns 1 when ready, 0 on time-out, -1 on error.
int WaitFor(SOCKET s, bool write, DWORD deadline) {
  const DWORD now = GetTickCount();
  const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set errors;
  FD_ZERO(&errors);
  FD_SET(s, &errors);
  timeval tv{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
  const int n = select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &tv);
  if (n < 0 || FD_ISSET(s, &errors)) return -1;
  return n == 0 ? 0 : 1;
}

}  // namespace

extern "C" int __stdcall chc_DSCPSend(const char* host, const char* request, char* reply) {
  if (reply == nullptr) return -2;
  char onlyIn[MAX_PATH] = {};
  const DWORD onlyInLength = GetEnvironmentVariableA(KARUVEL_DSCP_ONLY_IN_ENV, onlyIn, sizeof onlyIn);
  if (onlyInLength > 0 && (onlyInLength >= sizeof onlyIn || !LoadedFrom(onlyIn))) {
    SetReply(reply, "chc_dscp: not the copy asked for");
    return -2;
  }
  // A request must open with its command line.
  if (request == nullptr || request[0] == '\0' || request[0] == '\r' || request[0] == '\n') {
    SetReply(reply, "chc_dscp: no command line in the request");
    return -1;
  }
  WinsockSession winsock;
  if (!winsock.ok()) {
    SetReply(reply, "chc_dscp: Winsock could not start");
    return -2;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  const int port = EnvInt(KARUVEL_DSCP_PORT_ENV, KARUVEL_DSCP_DEFAULT_PORT);
  addr.sin_port = htons(static_cast<u_short>(port));
  if (host == nullptr || inet_pton(AF_INET, host, &addr.sin_addr) != 1) {
    SetReply(reply, "chc_dscp: the host is not an IPv4 address");
    return -2;
  }
  const DWORD deadline = GetTickCount() + EnvInt(KARUVEL_DSCP_TIMEOUT_ENV, KARUVEL_DSCP_DEFAULT_TIMEOUT_MS);

  Socket sock;
  if (sock.get() == INVALID_SOCKET) {
    SetReply(reply, "chc_dscp: no socket");
    return -3;
  }
  u_long nonblocking = 1;
  ioctlsocket(sock.get(), FIONBIO, &nonblocking);
  int soError = 0;
  if (connect(sock.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    std::snprintf(reply, KARUVEL_DSCP_REPLY_BUFFER, "chc_dscp: cannot connect to %s:%d (%d)", host, port,
                  soError != 0 ? soError : WSAGetLastError());
    return -3;
  }
  int ready = WaitFor(sock.get(), true, deadline);
  if (ready == 0) {
    SetReply(reply, "chc_dscp: timed out connecting to the host");
    return -5;
  }
  int soLen = sizeof soError;
  getsockopt(sock.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &soLen);
  if (ready < 0 || soError != 0) {
    std::snprintf(reply, KARUVEL_DSCP_REPLY_BUFFER, "chc_dscp: cannot connect to %s:%d (%d)", host, port,
                  soError != 0 ? soError : WSAGetLastError());
    return -3;
  }

  const char* next = request;
  size_t left = std::strlen(request);
  while (left > 0) {
    const int sent = send(sock.get(), next, static_cast<int>(left < 65536 ? left : 65536), 0);
    if (sent > 0) {
      next += sent;
      left -= static_cast<size_t>(sent);
      continue;
    }
    if (sent < 0 && WSAGetLastError() == WSAEWOULDBLOCK) {
      ready = WaitFor(sock.get(), true, deadline);
      if (ready > 0) continue;
      SetReply(reply, ready == 0 ? "chc_dscp: timed out sending the request" : "chc_dscp: sending failed");
      return ready == 0 ? -5 : -4;
    }
    SetReply(reply, "chc_dscp: sending failed");
    return -4;
  }
  shutdown(sock.get(), SD_SEND);

  // The reply ends when the host closes; whatever does not fit before the last NUL is dropped.
  char received[KARUVEL_DSCP_REPLY_BUFFER] = {};
  size_t used = 0;
  const size_t capacity = KARUVEL_DSCP_REPLY_BUFFER - 1;
  for (;;) {
    ready = WaitFor(sock.get(), false, deadline);
    if (ready == 0) {
      SetReply(reply, "chc_dscp: timed out waiting for the reply");
      return -5;
    }
    if (ready < 0) {
      SetReply(reply, "chc_dscp: receiving failed");
      return -6;
    }
    char chunk[4096];
    const int got = recv(sock.get(), chunk, sizeof chunk, 0);
    if (got == 0) break;
    if (got < 0) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      SetReply(reply, "chc_dscp: receiving failed");
      return -6;
    }
    const size_t take = static_cast<size_t>(got) < capacity - used ? static_cast<size_t>(got) : capacity - used;
    std::memcpy(received + used, chunk, take);
    used += take;
  }
  std::memcpy(reply, received, used);
  reply[used] = '\0';
  // Tests of the caller's handling of results set one here; the reply stays as received.
  char forced[16] = {};
  if (GetEnvironmentVariableA(KARUVEL_DSCP_FORCE_RESULT_ENV, forced, sizeof forced) > 0)
    return static_cast<int>(std::strtol(forced, nullptr, 10));
  return 0;
}
