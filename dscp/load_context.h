// What the switch, the drop registration and the sender work on. The window's owner builds one
// from the run's state for each action; nothing here outlives that action.
#pragma once

#include <cstdint>
#include <functional>

#include "common/file_system.h"
#include "common/main_view.h"
#include "common/text.h"
#include "dscp/dscp_library.h"
#include "settings/note_table.h"

namespace karuvel {

struct LoadContext {
  const NoteTable& table;
  MainView& view;
  const FileSystem& files;
  DscpLibrary& library;
  std::function<int16_t()> isZMemoRunning;  // 1 when ZMemo's mutex exists, 0 otherwise
  Text& strSendText;                        // the last LOAD request built
  Text& strReceiveText;                     // the last reply
};

}  // namespace karuvel
