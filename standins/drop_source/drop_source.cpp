// Test helper: drops files (or plain text) at a point on the screen, as a file manager would.
//   drop_source <x> <y> file...          CF_HDROP with the files (wide names)
//   drop_source <x> <y> --text TEXT      CF_UNICODETEXT only
//   drop_source <x> <y> --move-only file...   offers only a move, as a file manager may
// Exit code: the effect the target chose (0 none, 1 copy, 2 move, 4 link), 100+ on failure.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/com_object_win.h"

namespace {

HGLOBAL CopyGlobal(const void* bytes, size_t size) {
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
  if (global == nullptr) return nullptr;
  void* p = GlobalLock(global);
  std::memcpy(p, bytes, size);
  GlobalUnlock(global);
  return global;
}

// One format in one HGLOBAL; every GetData hands out a fresh copy the caller releases.
class DataObject final : public karuvel::ComObject<IDataObject, IID_IDataObject> {
 public:
  DataObject(CLIPFORMAT format, std::vector<char> bytes) : bytes_(std::move(bytes)) {
    format_ = FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m->tymed = TYMED_HGLOBAL;
    m->pUnkForRelease = nullptr;
    m->hGlobal = CopyGlobal(bytes_.data(), bytes_.size());
    return m->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return (f && f->cfFormat == format_.cfFormat && (f->tymed & TYMED_HGLOBAL)) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &format_, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DataObject() override = default;
  FORMATETC format_;
  std::vector<char> bytes_;
};

// Drops as soon as the drag starts over the point.
class DropSource final : public karuvel::ComObject<IDropSource, IID_IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    return escape ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~DropSource() override = default;
};

std::vector<char> DropFiles(const std::vector<std::wstring>& files) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::wstring names;
  for (const std::wstring& f : files) names += f + L'\0';
  names += L'\0';
  std::vector<char> bytes(sizeof header + names.size() * sizeof(wchar_t));
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: drop_source <x> <y> (file... | --text TEXT)\n");
    return 100;
  }
  if (FAILED(OleInitialize(nullptr))) return 101;
  DataObject* data = nullptr;
  DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  if (std::wstring(argv[3]) == L"--move-only") {
    allowed = DROPEFFECT_MOVE;
    data = new DataObject(CF_HDROP, DropFiles(std::vector<std::wstring>(argv + 4, argv + argc)));
  } else if (std::wstring(argv[3]) == L"--text" && argc == 5) {
    const std::wstring text = argv[4];
    data = new DataObject(CF_UNICODETEXT, std::vector<char>(reinterpret_cast<const char*>(text.c_str()),
                                                            reinterpret_cast<const char*>(text.c_str() + text.size() + 1)));
  } else {
    data = new DataObject(CF_HDROP, DropFiles(std::vector<std::wstring>(argv + 3, argv + argc)));
  }
  DropSource* source = new DropSource;
  SetCursorPos(_wtoi(argv[1]), _wtoi(argv[2]));
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, source, allowed, &effect);
  source->Release();
  data->Release();
  OleUninitialize();
  std::printf("drop %08lx effect %lu\n", static_cast<unsigned long>(hr), effect);
  return FAILED(hr) ? 102 : static_cast<int>(effect);
}
