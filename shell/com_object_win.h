// The IUnknown half of a small COM object that implements one interface: reference counting and
// QueryInterface for IUnknown and that interface. The object deletes itself on its last Release.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace karuvel {

template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kInterfaceId)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  ComObject() = default;  // one reference, the creator's
  virtual ~ComObject() = default;

 private:
  LONG refs_ = 1;
};

}  // namespace karuvel
