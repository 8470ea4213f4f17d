// The stand-in DSCP library and host, through the library's export as a caller sees it: a real
// socket on 127.0.0.1 and a real host process. What karuvel.exe sees of them is covered end to
// end; this is the case it cannot provoke, as the program always sends a command line.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_processes.h"

namespace karuvel {
namespace {

using SendFn = int(WINAPI*)(const char*, const char*, char*);

TEST(Standins, RequestWithoutCommandLineIsMinusOneAndNotSent) {
  // Loaded for the rest of the run, as in the program: Wine's Winsock does not survive being
  // unloaded and loaded again within one process.
  const HMODULE library = LoadLibraryW((BuildDir() + L"chc_dscp.dll").c_str());
  ASSERT_NE(library, nullptr);
  const auto send =
      reinterpret_cast<SendFn>(reinterpret_cast<void (*)(void)>(GetProcAddress(library, "chc_DSCPSend")));
  ASSERT_NE(send, nullptr);
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", L"24811");
  StandinHost host(BuildDir(), 24811, L"");
  ASSERT_TRUE(host.Started());
  for (const char* request : {"", "\r\nLOAD DSCP/1.3\r\n\r\n"}) {
    std::string reply(20000, '\0');
    EXPECT_EQ(send("127.0.0.1", request, &reply[0]), -1);
    EXPECT_NE(reply[0], '\0');
  }
  EXPECT_EQ(host.Log(), "");
  SetEnvironmentVariableW(L"KARUVEL_DSCP_PORT", nullptr);
}

}  // namespace
}  // namespace karuvel
