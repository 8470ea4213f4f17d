#include "shell/accessible_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include "shell/com_object_win.h"

namespace karuvel {

namespace {

// The system's object for a control with a name, a role or the invisible state of our own; every
// other question goes to the system's object as it is.
class Overlay final : public ComObject<IAccessible, kIidAccessible> {
 public:
  Overlay(IAccessible* inner, const ControlBehaviour& behaviour, bool client)
      : inner_(inner), behaviour_(behaviour), client_(client) {}

  // IAccessible is an IDispatch, and callers ask for either.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out && IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    // The children, the window and the identity: readers walk the tree and find windows by them.
    if (out && (IsEqualIID(riid, IID_IEnumVARIANT) || IsEqualIID(riid, IID_IOleWindow) ||
                IsEqualIID(riid, IID_IServiceProvider)))
      return inner_->QueryInterface(riid, out);
    return ComObject::QueryInterface(riid, out);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!Self(child) || !behaviour_.name) return inner_->get_accName(child, name);
    if (!name) return E_INVALIDARG;
    *name = SysAllocString(behaviour_.name);
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!Self(child) || !client_ || !behaviour_.role) return inner_->get_accRole(child, role);
    if (!role) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = behaviour_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT hr = inner_->get_accState(child, state);
    if (SUCCEEDED(hr) && Self(child) && behaviour_.decorative && state && state->vt == VT_I4)
      state->lVal |= STATE_SYSTEM_INVISIBLE;
    return hr;
  }

  // IDispatch and the rest of IAccessible, as the system answers them.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                   UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override { return inner_->get_accChildCount(n); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** d) override { return inner_->get_accChild(c, d); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return inner_->get_accValue(c, v); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override { return inner_->get_accDescription(c, d); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return inner_->get_accHelp(c, h); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override {
    return inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return inner_->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* f) override { return inner_->get_accFocus(f); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* s) override { return inner_->get_accSelection(s); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return inner_->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG f, VARIANT c) override { return inner_->accSelect(f, c); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override {
    return inner_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG d, VARIANT s, VARIANT* e) override { return inner_->accNavigate(d, s, e); }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return inner_->put_accName(c, n); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return inner_->put_accValue(c, v); }

 private:
  ~Overlay() override { inner_->Release(); }
  static bool Self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

  IAccessible* inner_;  // one reference, ours
  const ControlBehaviour& behaviour_;
  const bool client_;
};

LRESULT CALLBACK BehaviourProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  const auto& behaviour = *reinterpret_cast<const ControlBehaviour*>(data);
  switch (message) {
    case WM_GETOBJECT: {
      const LONG object = static_cast<LONG>(lParam);
      if (object != OBJID_CLIENT && object != OBJID_WINDOW) break;
      // Nothing to add: the system's own object answers, as it does for the system's controls.
      if (!behaviour.name && !behaviour.role && !behaviour.decorative) break;
      // The subclass id is the library: one value that says which window's library answers.
      if (const LRESULT answer = reinterpret_cast<AccessibilityLibrary*>(id)->Answer(hwnd, wParam, object, behaviour))
        return answer;
      break;
    }
    case WM_GETDLGCODE:
      // A multi-line edit asks for every key; read-only, it has no use for Tab, Esc or Enter, and
      // taking them would trap the focus (Tab) or post WM_CLOSE to its frame (Esc).
      if (behaviour.textBox)
        return DefSubclassProc(hwnd, message, wParam, lParam) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      break;
    case WM_KEYDOWN:
      if (behaviour.textBox && wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        SendMessageW(hwnd, EM_SETSEL, 0, -1);  // older edits select nothing on Ctrl+A
        return 0;
      }
      break;
    case WM_CHAR:
      if (behaviour.textBox && wParam == 1) return 0;  // Ctrl+A's character: no beep
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, BehaviourProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

AccessibilityLibrary::~AccessibilityLibrary() {
  if (com_) CoUninitialize();  // first: objects a reader still holds are released into oleacc
  module_.Reset();
}

bool AccessibilityLibrary::Load() {
  if (tried_) return createStd_ != nullptr;
  tried_ = true;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  com_ = SUCCEEDED(com);  // S_FALSE too: every success is matched by one CoUninitialize
  if (FAILED(com) && com != RPC_E_CHANGED_MODE) return false;
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  module_.Reset(LoadLibraryW((std::wstring(system, n) + L"\\oleacc.dll").c_str()));
  if (!module_) return false;
  const auto find = [&](const char* name) { return reinterpret_cast<void (*)(void)>(GetProcAddress(module_.Get(), name)); };
  createStd_ = reinterpret_cast<CreateStdFn>(find("CreateStdAccessibleObject"));
  lresultFromObject_ = reinterpret_cast<LresultFn>(find("LresultFromObject"));
  if (!createStd_ || !lresultFromObject_) createStd_ = nullptr, lresultFromObject_ = nullptr, module_.Reset();
  return createStd_ != nullptr;
}

LRESULT AccessibilityLibrary::Answer(HWND hwnd, WPARAM wParam, LONG objectId, const ControlBehaviour& behaviour) {
  if (!Load()) return 0;
  IAccessible* system = nullptr;
  if (FAILED(createStd_(hwnd, objectId, kIidAccessible, reinterpret_cast<void**>(&system))) || !system) return 0;
  auto* overlay = new Overlay(system, behaviour, objectId == OBJID_CLIENT);
  const LRESULT answer = lresultFromObject_(kIidAccessible, wParam, overlay);
  overlay->Release();  // the answer holds its own reference
  return answer > 0 ? answer : 0;
}

bool AddControlBehaviour(HWND control, const ControlBehaviour& behaviour, AccessibilityLibrary& library) {
  return SetWindowSubclass(control, BehaviourProc, reinterpret_cast<UINT_PTR>(&library),
                           reinterpret_cast<DWORD_PTR>(&behaviour)) != FALSE;
}

}  // namespace karuvel
