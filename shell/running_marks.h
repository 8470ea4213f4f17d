// Named mutexes as markers of running processes. Karuvel's own "TKaruvelWndMutex"
// exists while it runs; ZMemo's "TMemoManWndMutex" is only probed. Nothing ever waits on them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/owners_win.h"

namespace karuvel {

// The handle of "TKaruvelWndMutex" held for the run; empty when Karuvel holds none.
extern UniqueHandle lnghMutex;

// Creates "TKaruvelWndMutex" and keeps its handle, unless another process has it already: then
// no handle is kept and start-up goes on all the same.
void CreateOwnMutex();

// Closes the handle kept by CreateOwnMutex; nothing when none is held.
void ReleaseOwnMutex();

// 1 when "TMemoManWndMutex" exists (ZMemo runs): it opens, or it refuses our access because ZMemo
// runs elevated. 0 otherwise. Keeps no handle.
int16_t IsZMemoRunning();

}  // namespace karuvel
