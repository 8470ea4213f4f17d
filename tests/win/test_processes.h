// Other processes for the Win32 test programs: where the built programs are, starting them and
// waiting for them.
#pragma once

#include <windows.h>

#include <string>

namespace karuvel {

std::wstring Quoted(const std::wstring& s);
// The directory of this test program, and the build directory above it, each ending in "\".
std::wstring TestProgramDir();
std::wstring BuildDir();
// Starts a command line; the process handle (the caller closes it) or null. `pid` gets its id.
HANDLE Launch(std::wstring commandLine, DWORD* pid = nullptr);
// Runs a command line to its end (killed after `ms`); its exit code, or -1.
int RunToEnd(const std::wstring& commandLine, DWORD ms = 15000);

}  // namespace karuvel
