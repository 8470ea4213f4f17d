// Other processes for the Win32 test programs: starting them, waiting for them, reading what they
// wrote, and the stand-in ZMemo host.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/owners_win.h"

namespace karuvel {

std::wstring Quoted(const std::wstring& s);

// The directory of this test program, with its trailing "\".
std::wstring TestProgramDir();
// The build directory (the test program's parent directory), with its trailing "\".
std::wstring BuildDir();

// Starts a command line; the process handle (the caller closes it) or null. `pid` gets its id.
HANDLE Launch(std::wstring commandLine, DWORD* pid = nullptr);
// Runs a command line to its end (killed after `ms`); its exit code, or -1.
int RunToEnd(const std::wstring& commandLine, DWORD ms = 15000);

// The whole file, shared with writers; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// zmemo_host.exe from `dir` serving `port`, started when constructed and killed when destroyed.
class StandinHost {
 public:
  StandinHost(const std::wstring& dir, int port, const std::wstring& options);
  ~StandinHost();

  // True once the host listens.
  bool Started() const { return started_; }
  HANDLE Process() const { return process_.Get(); }
  // Its request log, as written.
  std::string Log() const;
  // Every request received so far, byte for byte.
  std::vector<std::string> Requests() const;

 private:
  UniqueHandle process_;
  std::wstring log_;
  bool started_ = false;
};

}  // namespace karuvel
