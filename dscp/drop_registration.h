// Drop registration: a script information file dropped anywhere on the window is checked and
// loaded into the note chosen in Cbo切替対象, with the same LOAD request as the switch.
#pragma once

#include <vector>

#include "common/text.h"
#include "dscp/load_context.h"

namespace karuvel {

// What a drop delivered: the full paths of its files, as dropped (none for data without files).
struct DropData {
  std::vector<Text> files;
};

// The work behind a drop anywhere on the window. A drop while Cmd切替 is disabled (a load under
// way) is ignored; one with several files is refused with its message.
void RegisterDroppedScript(LoadContext& load, const DropData& Data);

}  // namespace karuvel
