// Drops onto a window through OLE: file drops and data without files (which arrive as zero files)
// both reach one callback. The window and all its children are covered by one registration.
//
// The registration lives on a thread of its own that does nothing but answer OLE. A drag source
// in another process talks to its target through the thread that registered it, before Drop and
// after it (it lets go of the target only once Drop has returned): served from the window's
// thread, the source would hang while that thread blocks in a request to ZMemo.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <memory>

#include "common/owners_win.h"
#include "dscp/drop_registration.h"

namespace karuvel {

// OLE on the calling (user-interface) thread for as long as the object lives.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// Runs on the drop thread inside IDropTarget::Drop, while the drag source waits for its answer:
// it must only hand the files over and return.
using DropCallback = std::function<void(DropData data)>;
// Asked on the drop thread as a drag enters, moves and drops: false refuses it at the cursor.
using DropAcceptance = std::function<bool()>;

class DropService {
 public:
  // Starts the drop thread, which registers `window` while the window's thread goes on; null when
  // no thread can be started. Should OLE or the registration fail there, the thread ends and the
  // program runs on without drops. A drag is refused while `accepting` says no.
  static std::unique_ptr<DropService> Start(HWND window, DropCallback onDrop, DropAcceptance accepting);
  ~DropService();  // the thread revokes the registration and ends
  DropService(const DropService&) = delete;
  DropService& operator=(const DropService&) = delete;

 private:
  DropService(UniqueHandle thread, UniqueHandle stop) : thread_(std::move(thread)), stop_(std::move(stop)) {}
  UniqueHandle thread_;
  UniqueHandle stop_;  // set to end the thread
};

// The full paths of CF_HDROP in `data`; empty when it carries none. Empty names are left out.
DropData ReadDroppedFiles(IDataObject* data);

}  // namespace karuvel
