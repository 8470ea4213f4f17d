// Drop registration: a script information file dropped anywhere on the window is checked and
// loaded into the note chosen in Cbo切替対象, with the same LOAD request as the switch.
#pragma once

#include <cstdint>
#include <vector>

#include "common/text.h"
#include "shell/app.h"

namespace karuvel {

// What a drop delivered: the full paths of its files, as dropped (none for data without files).
struct DropData {
  std::vector<Text> files;
};

// The work behind every drop handler of the window. Only Data is read; Effect stays as delivered
// and the rest is ignored. A drop while Cmd切替 is disabled (a load under way) is ignored.
void RegisterDroppedScript(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift,
                           float X, float Y);

}  // namespace karuvel
