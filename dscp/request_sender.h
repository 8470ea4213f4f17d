// The request sender: the one place where Karuvel talks to ZMemo, through chc_dscp.dll.
#pragma once

#include "dscp/load_context.h"

namespace karuvel {

// Sends strSendText to ZMemo on 127.0.0.1 and shows the reply (text up to its first NUL) in
// the reply box; a result of -1 first shows "コマンドが指定されていません。". The window is painted before
// the library blocks. When the library cannot be loaded, says so and sends nothing.
void SendDscpRequest(LoadContext& load);

}  // namespace karuvel
