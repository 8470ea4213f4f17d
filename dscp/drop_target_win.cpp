#include "dscp/drop_target_win.h"

#include "dscp/com_object_win.h"

#include <shellapi.h>

#include <string>
#include <utility>

namespace karuvel {

namespace {

// The COM object OLE calls; OLE holds it while the window is registered.
class DropTarget final : public ComObject<IDropTarget, IID_IDropTarget> {
 public:
  explicit DropTarget(DropCallback onDrop) : onDrop_(std::move(onDrop)) {}

  // Everything is accepted, data without files too: a target that refuses here never sees Drop.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    return Accept(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return Accept(effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override {
    Accept(effect);
    DWORD chosen = effect ? *effect : DROPEFFECT_NONE;
    const DropData dropped = ReadDroppedFiles(data);
    onDrop_(dropped, POINT{pt.x, pt.y}, keyState, chosen);
    if (effect) *effect = chosen;
    return S_OK;
  }

 private:
  ~DropTarget() override = default;
  static HRESULT Accept(DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : (*effect & (DROPEFFECT_MOVE | DROPEFFECT_LINK));
    return S_OK;
  }

  DropCallback onDrop_;
};

// Owns a medium from IDataObject::GetData.
class Medium {
 public:
  STGMEDIUM* get() { return &medium_; }
  void Hold() { held_ = true; }
  ~Medium() {
    if (held_) ReleaseStgMedium(&medium_);
  }

 private:
  STGMEDIUM medium_{};
  bool held_ = false;
};

// Holds the locked HDROP of a medium.
class LockedDrop {
 public:
  explicit LockedDrop(HGLOBAL global) : global_(global), drop_(static_cast<HDROP>(GlobalLock(global))) {}
  ~LockedDrop() {
    if (drop_) GlobalUnlock(global_);
  }
  LockedDrop(const LockedDrop&) = delete;
  LockedDrop& operator=(const LockedDrop&) = delete;
  HDROP get() const { return drop_; }

 private:
  HGLOBAL global_;
  HDROP drop_;
};

}  // namespace

DropData ReadDroppedFiles(IDataObject* data) {
  DropData dropped;
  if (data == nullptr) return dropped;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  Medium medium;
  if (FAILED(data->GetData(&format, medium.get()))) return dropped;
  medium.Hold();
  if (medium.get()->tymed != TYMED_HGLOBAL || medium.get()->hGlobal == nullptr) return dropped;
  const LockedDrop drop(medium.get()->hGlobal);
  if (drop.get() == nullptr) return dropped;
  const UINT count = DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop.get(), i, nullptr, 0);
    if (length == 0) continue;
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop.get(), i, &name[0], length + 1);
    name.resize(copied);
    dropped.files.emplace_back(name.begin(), name.end());
  }
  return dropped;
}

int16_t DropButton(DWORD keyState) {
  return static_cast<int16_t>(((keyState & MK_LBUTTON) ? 1 : 0) | ((keyState & MK_RBUTTON) ? 2 : 0) |
                              ((keyState & MK_MBUTTON) ? 4 : 0));
}

int16_t DropShift(DWORD keyState) {
  return static_cast<int16_t>(((keyState & MK_SHIFT) ? 1 : 0) | ((keyState & MK_CONTROL) ? 2 : 0) |
                              ((keyState & MK_ALT) ? 4 : 0));
}

std::unique_ptr<DropTargetRegistration> DropTargetRegistration::Register(HWND window, DropCallback onDrop) {
  DropTarget* target = new DropTarget(std::move(onDrop));
  const HRESULT hr = RegisterDragDrop(window, target);
  target->Release();  // OLE keeps its own reference while registered
  if (FAILED(hr)) return nullptr;
  return std::unique_ptr<DropTargetRegistration>(new DropTargetRegistration(window));
}

DropTargetRegistration::~DropTargetRegistration() { RevokeDragDrop(window_); }

}  // namespace karuvel
