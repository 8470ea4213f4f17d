// What the window's controls do beyond the system's own: the keys of the read-only text boxes, and
// what screen readers are told of a control where the system's answer says nothing or misleads.
#pragma once

#include <windows.h>

#include "common/owners_win.h"

namespace karuvel {

// IAccessible's id, {618736E0-3C3D-11CF-810C-00AA00389B71}: written here, since MinGW's import
// library for oleacc gives a thunk's bytes under that name.
inline constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What one control does beyond the system's own. Readers are told `name` and `role` of its client
// object (null and 0 leave the system's); a decorative control reports itself invisible, so readers
// pass it by. A text box leaves Tab, Esc and Enter to the window's keyboard navigation and selects
// its whole text on Ctrl+A.
struct ControlBehaviour {
  const wchar_t* name;
  LONG role;
  bool decorative;
  bool textBox;
};

// oleacc.dll from the system folder, and COM on the window's thread, which the answers are
// marshalled with: both set up the first time a reader asks, so a run without one never pays for
// them. Lives as long as the window, on its thread.
class AccessibilityLibrary {
 public:
  AccessibilityLibrary() = default;
  AccessibilityLibrary(const AccessibilityLibrary&) = delete;
  AccessibilityLibrary& operator=(const AccessibilityLibrary&) = delete;
  ~AccessibilityLibrary();

  // The object WM_GETOBJECT returns for `hwnd`'s client (or window) with `behaviour`'s name, role
  // and visibility laid over the system's own; 0 when the library or the system's object is not
  // there, and the caller passes the message on.
  LRESULT Answer(HWND hwnd, WPARAM wParam, LONG objectId, const ControlBehaviour& behaviour);

 private:
  bool Load();

  using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
  UniqueModule module_;
  CreateStdFn createStd_ = nullptr;
  LresultFn lresultFromObject_ = nullptr;
  bool tried_ = false;
  bool com_ = false;  // COM set up on the window's thread for the answers, to be taken down
};

// Gives `control` its behaviour; `behaviour` and `library` outlive the control. False when the
// system refuses: the control then keeps the system's own.
bool AddControlBehaviour(HWND control, const ControlBehaviour& behaviour, AccessibilityLibrary& library);

}  // namespace karuvel
