// Start-up and the ends of the program. Main prepares and shows the window and loads the notes;
// afterwards the program lives on the window's events until it ends.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "common/owners_win.h"
#include "shell/app.h"
#include "shell/drop_target_win.h"
#include "shell/main_window_win.h"

namespace karuvel {

// The machine's services for the handlers: the host probe, the file system, chc_dscp.dll.
class WinHostServices : public HostServices {
 public:
  explicit WinHostServices(const Text& zmemoRoot);
  ~WinHostServices() override;
  int16_t IsZMemoRunning() override;
  const FileSystem& Files() const override;
  const VirtualStore& Store() override;
  DscpLibrary& Dscp() override;

 private:
  std::unique_ptr<DscpLibrary> dscp_;
  std::optional<VirtualStore> store_;  // asked of the system once, when first needed
};

// Everything one run holds, owned by the entry point for the life of the process.
struct Program {
  Program(HINSTANCE module, int show) : instance(module), showCommand(show) {}
  HINSTANCE instance;
  int showCommand;  // how the window is first shown: as the shortcut or the starting program asks
  UniqueHandle instanceMarker;  // held for the run: its existence marks this instance
  AppState state;
  MainWindow window;
  WinHostServices host{state.strRootDir};
  App app{state, window, host};
  std::unique_ptr<DropService> drops;  // drops anywhere on the window
};

// True when no other instance of the program runs. Atomic across simultaneous launches: the
// marker is created and tested in one call, and kept in `marker` for the run.
bool ClaimFirstInstance(UniqueHandle& marker);

// The start-up, in order: previous instance, own mutex, window, install root, memo.ini, notes.
// Returns when the program goes on with its window; ends the process in every other case.
void Main(Program& program);

// The window is closed: releases the own mutex and ends the process. Does not return.
[[noreturn]] void EndProgram();
// The window is being closed, by any means: the program ends, and nothing can cancel it.
[[noreturn]] void Form_Unload();
// Cmd終了 pressed: the process ends at once, without a question or message.
[[noreturn]] void Cmd終了_Click();

// Ends the process at once (Cmd終了); the system closes what is still open. Does not return.
[[noreturn]] void EndProcessNow();

}  // namespace karuvel
