// Shared by the soak and the writes-nothing tests.
#pragma once

#include <string>

namespace karuvel::e2e {

// Points chc_dscp.dll and the stand-in host at a port picked at random from 20000 to 32767 (below
// the range of outgoing connections' local ports), for this process and every karuvel.exe started
// afterwards; returns it. Wine numbers the processes of each session alike, so a port derived from
// the process id would be the same in two sessions running side by side on one machine.
int UseRandomPort();

// UTF-8 for test messages.
std::string Utf8Of(const std::wstring& text);

}  // namespace karuvel::e2e
