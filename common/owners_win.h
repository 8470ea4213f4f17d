// One owner per kind of Win32 handle the program holds. Each closes its handle once, when it goes
// or is reset; Detach hands the handle over without closing it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace karuvel {

template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;

  UniqueOwner() = default;
  explicit UniqueOwner(Handle handle) : handle_(handle) {}
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.Detach()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  ~UniqueOwner() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // The address to receive a handle from a call that fills one in; whatever was held is closed.
  Handle* Put() {
    Reset();
    return &handle_;
  }
  Handle Detach() { return std::exchange(handle_, Traits::Empty()); }
  void Reset(Handle handle = Traits::Empty()) {
    const Handle old = std::exchange(handle_, handle);
    if (Traits::Valid(old)) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Empty();
};

namespace owner_traits {

// Kernel objects: null when empty. Files and searches, which fail with INVALID_HANDLE_VALUE, use
// the traits below.
struct Kernel {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct File : Kernel {
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
};
struct Find : File {
  static void Close(Handle h) { FindClose(h); }
};
struct Key {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
struct Module {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct GdiObject {
  using Handle = HGDIOBJ;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
struct MemoryDc {
  using Handle = HDC;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
struct Icon {
  using Handle = HICON;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

}  // namespace owner_traits

using UniqueHandle = UniqueOwner<owner_traits::Kernel>;
using UniqueFile = UniqueOwner<owner_traits::File>;
using UniqueFind = UniqueOwner<owner_traits::Find>;
using UniqueKey = UniqueOwner<owner_traits::Key>;
using UniqueModule = UniqueOwner<owner_traits::Module>;
using UniqueGdiObject = UniqueOwner<owner_traits::GdiObject>;
using UniqueIcon = UniqueOwner<owner_traits::Icon>;
using UniqueDc = UniqueOwner<owner_traits::MemoryDc>;  // from CreateCompatibleDC

// The screen's device context, for measuring; released when it goes.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A medium filled in by IDataObject::GetData, released once.
class UniqueMedium {
 public:
  UniqueMedium() = default;
  UniqueMedium(const UniqueMedium&) = delete;
  UniqueMedium& operator=(const UniqueMedium&) = delete;
  ~UniqueMedium() {
    if (held_) ReleaseStgMedium(&medium_);
  }
  // Fills the medium from `data`; false, holding nothing, when the data has no such format.
  bool From(IDataObject* data, FORMATETC& format) {
    held_ = SUCCEEDED(data->GetData(&format, &medium_));
    return held_;
  }
  const STGMEDIUM& Get() const { return medium_; }

 private:
  STGMEDIUM medium_{};
  bool held_ = false;
};

// Text as the wide-character calls take it: both are UTF-16 with Windows semantics.
template <typename String>
const wchar_t* Wide(const String& text) {
  static_assert(sizeof(typename String::value_type) == sizeof(wchar_t), "UTF-16 text only");
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace karuvel
