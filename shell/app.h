// What every handler works on: the run's shared state, the window, and the host services.
#pragma once

#include <cstdint>

#include "common/file_system.h"
#include "common/text.h"
#include "dscp/dscp_library.h"
#include "settings/note_table.h"
#include "settings/virtual_store.h"
#include "common/main_view.h"
#include "dscp/load_context.h"

namespace karuvel {

// State shared by the handlers for the whole run. One instance, owned by the program's entry.
struct AppState {
  Text strRootDir;      // ZMemo's install root, as stored in the registry
  Text strUserDir;      // strRootDir + "\USERS\" + user + "\"
  NoteTable table;      // Notes and intNoteCount, written only by ReadMemoIni
  Text strSendText;     // the last LOAD request built
  Text strReceiveText;  // the last reply
};

// Services from the machine the handlers need.
class HostServices {
 public:
  virtual ~HostServices() = default;
  virtual int16_t IsZMemoRunning() = 0;  // 1 when ZMemo's mutex exists, 0 otherwise
  virtual const FileSystem& Files() const = 0;
  // Where Windows keeps the copies of files an older program such as ZMemo writes in protected folders.
  virtual const VirtualStore& Store() = 0;
  virtual DscpLibrary& Dscp() = 0;
};

struct App {
  AppState& state;
  MainView& view;
  HostServices& host;

  // What a switch or a drop works on, for the length of that action.
  LoadContext Loading() {
    return LoadContext{state.table,   view, host.Files(), host.Dscp(), [this] { return host.IsZMemoRunning(); },
                       state.strSendText, state.strReceiveText};
  }
};

}  // namespace karuvel
