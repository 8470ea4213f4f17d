#include "shell/drop_target_win.h"

#include "common/owners_win.h"
#include "shell/com_object_win.h"

#include <shellapi.h>

#include <string>
#include <utility>

namespace karuvel {

namespace {

// The COM object OLE calls; OLE holds it while the window is registered.
class DropTarget final : public ComObject<IDropTarget, IID_IDropTarget> {
 public:
  DropTarget(DropCallback onDrop, DropAcceptance accepting)
      : onDrop_(std::move(onDrop)), accepting_(std::move(accepting)) {}

  // Everything the window can take now is accepted, data without files too: a target that refuses
  // here never sees Drop. What it cannot take now shows the no-drop cursor and is never kept.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    return Accept(effect, false, accepting_());
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return Accept(effect, false, accepting_());
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  // Keeps the names and answers at once: whatever the drop causes runs later, so the drag source
  // is never held by a message box or a request.
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    const bool taking = accepting_();
    const HRESULT result = Accept(effect, true, taking);
    if (SUCCEEDED(result) && taking) onDrop_(ReadDroppedFiles(data));
    return result;
  }

 private:
  ~DropTarget() override = default;
  // One effect out of those the source allows. Karuvel only reads the dropped paths, and a drop
  // that reports a move tells a file manager to delete its file: a move is only ever shown as
  // feedback while dragging (so a move-only source still reaches Drop), never reported by Drop.
  static HRESULT Accept(DWORD* effect, bool dropping, bool taking) {
    if (effect == nullptr) return E_INVALIDARG;
    const DWORD allowed = taking ? *effect : DROPEFFECT_NONE;
    if (allowed & DROPEFFECT_COPY) *effect = DROPEFFECT_COPY;
    else if (allowed & DROPEFFECT_LINK) *effect = DROPEFFECT_LINK;
    else if ((allowed & DROPEFFECT_MOVE) && !dropping) *effect = DROPEFFECT_MOVE;
    else *effect = DROPEFFECT_NONE;
    return S_OK;
  }

  DropCallback onDrop_;
  DropAcceptance accepting_;
};

}  // namespace

DropData ReadDroppedFiles(IDataObject* data) {
  DropData dropped;
  if (data == nullptr) return dropped;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  UniqueMedium medium;
  if (!medium.From(data, format)) return dropped;
  if (medium.Get().tymed != TYMED_HGLOBAL || medium.Get().hGlobal == nullptr) return dropped;
  const auto drop = static_cast<HDROP>(medium.Get().hGlobal);  // DragQueryFileW locks it itself
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, &name[0], length + 1);
    name.resize(copied);
    dropped.files.emplace_back(name.begin(), name.end());
  }
  return dropped;
}

namespace {

// What the drop thread starts from; the thread owns it.
struct ServiceStart {
  HWND window;
  DropCallback onDrop;
  DropAcceptance accepting;
  HANDLE stop;  // owned by the DropService, which outlives the thread
};

DWORD WINAPI ServeDrops(void* param) {
  const std::unique_ptr<ServiceStart> start(static_cast<ServiceStart*>(param));
  const OleSession ole;
  if (!ole.ok()) return 1;
  DropTarget* target = new DropTarget(std::move(start->onDrop), std::move(start->accepting));
  const HRESULT registered = RegisterDragDrop(start->window, target);
  target->Release();  // OLE keeps its own reference while registered
  if (FAILED(registered)) return 1;
  // OLE's calls from the drag source arrive as messages to this thread.
  while (MsgWaitForMultipleObjects(1, &start->stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  RevokeDragDrop(start->window);
  return 0;
}

}  // namespace

std::unique_ptr<DropService> DropService::Start(HWND window, DropCallback onDrop, DropAcceptance accepting) {
  UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop) return nullptr;
  auto start = std::make_unique<ServiceStart>(ServiceStart{window, std::move(onDrop), std::move(accepting), stop.Get()});
  UniqueHandle thread(CreateThread(nullptr, 0, ServeDrops, start.get(), 0, nullptr));
  if (!thread) return nullptr;
  start.release();  // the thread has it now
  return std::unique_ptr<DropService>(new DropService(std::move(thread), std::move(stop)));
}

DropService::~DropService() {
  SetEvent(stop_.Get());
  WaitForSingleObject(thread_.Get(), INFINITE);
}

}  // namespace karuvel
