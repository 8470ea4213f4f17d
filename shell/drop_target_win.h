// Drops onto a window through OLE: file drops and data without files (which arrive as zero files)
// both reach one callback. The window and all its children are covered by one registration.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <memory>

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

// Runs inside IDropTarget::Drop, while the drag source waits for its answer: it must only keep
// the files and return.
using DropCallback = std::function<void(DropData data)>;

class DropTargetRegistration {
 public:
  // Registers `window` as a drop target; null when OLE refuses (no OleSession on this thread).
  static std::unique_ptr<DropTargetRegistration> Register(HWND window, DropCallback onDrop);
  ~DropTargetRegistration();  // revokes the registration
  DropTargetRegistration(const DropTargetRegistration&) = delete;
  DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;

 private:
  explicit DropTargetRegistration(HWND window) : window_(window) {}
  HWND window_;
};

// The full paths of CF_HDROP in `data`; empty when it carries none. Empty names are left out.
DropData ReadDroppedFiles(IDataObject* data);

}  // namespace karuvel
