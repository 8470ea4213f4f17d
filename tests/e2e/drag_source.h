// A file manager's side of a drag and drop, made from the test's own process: OLE carries it to the
// program's window in its process as it carries a drag from Explorer.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/com_object_win.h"

namespace karuvel::e2e {

// One format in one HGLOBAL; every GetData hands out a fresh copy the caller releases.
class DataObject final : public ComObject<IDataObject, IID_IDataObject> {
 public:
  DataObject(CLIPFORMAT format, std::string bytes) : bytes_(std::move(bytes)) { format_.cfFormat = format; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m->tymed = TYMED_HGLOBAL;
    m->pUnkForRelease = nullptr;
    if ((m->hGlobal = GlobalAlloc(GMEM_FIXED, bytes_.size())) == nullptr) return E_OUTOFMEMORY;
    std::memcpy(m->hGlobal, bytes_.data(), bytes_.size());  // a fixed block's handle is its address
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f && f->cfFormat == format_.cfFormat && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DataObject() override = default;
  FORMATETC format_{0, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  std::string bytes_;
};

// Drops over the point once it has hovered there for `hovers` questions.
class DropSource final : public ComObject<IDropSource, IID_IDropSource> {
 public:
  explicit DropSource(int hovers) : hovers_(hovers) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL esc, DWORD) override { return esc ? DRAGDROP_S_CANCEL : hovers_-- ? S_OK : DRAGDROP_S_DROP; }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~DropSource() override = default;
  int hovers_;
};


// A drop at a screen point. `args`: files; or "--text" and a text (CF_UNICODETEXT only); or
// "--move-only" and files (offers only a move, as a file manager may); "--hover" first hovers
// before the drop (QueryContinueDrag says "continue" three times, so OLE calls DragOver), as a
// person's drag does. `effect`: what the target chose (0 none, 1 copy, 2 move, 4 link), or 100+.
struct DropJob {
  POINT at;
  std::vector<std::wstring> args;
  int effect = -1;
};

// Makes `job`'s drop on the calling thread; a thread routine.
inline DWORD WINAPI DragAndDrop(void* job) {
  auto& [at, args, result] = *static_cast<DropJob*>(job);
  const bool hover = !args.empty() && args.front() == L"--hover";
  if (hover) args.erase(args.begin());
  if (args.empty() || FAILED(OleInitialize(nullptr))) return result = 100;
  const bool text = args.front() == L"--text", moveOnly = args.front() == L"--move-only";
  // Files as a DROPFILES block: the header, then each name and its NUL, then one more NUL.
  std::wstring names;
  for (size_t i = text || moveOnly ? 1 : 0; i < args.size(); ++i) names += args[i] + std::wstring(1, L'\0');
  // DROPFILES as <shlobj.h> declares it: that header would add a second and a half of compiling to
  // every program that drives a drop.
  const struct { DWORD pFiles; POINT pt; BOOL fNC, fWide; } header{sizeof header, {}, FALSE, TRUE};
  std::string bytes = text ? "" : std::string(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(names.c_str()), (names.size() + 1) * sizeof(wchar_t));
  auto* data = new DataObject(text ? CF_UNICODETEXT : CF_HDROP, bytes);
  auto* source = new DropSource(hover ? 3 : 0);
  SetCursorPos(at.x, at.y);
  DWORD effect = DROPEFFECT_NONE;
  const DWORD allowed = moveOnly ? DROPEFFECT_MOVE : DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  const HRESULT hr = DoDragDrop(data, source, allowed, &effect);
  source->Release();
  data->Release();
  OleUninitialize();
  return result = FAILED(hr) ? 102 : static_cast<int>(effect);
}

}  // namespace karuvel::e2e
