// The report of an unexpected failure: "ERROR #<code> : <the system's description>" in a message
// box with the caption "KARUVEL" and an OK button only.
#pragma once

#include <windows.h>

#include "common/text.h"

namespace karuvel {

Text ErrorReportText(DWORD code);

// Shows ErrorReportText(code), owned by `owner` (none before the window exists).
void ShowErrorReport(DWORD code, HWND owner = nullptr);

}  // namespace karuvel
