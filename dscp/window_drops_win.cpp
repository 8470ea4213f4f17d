#include "dscp/window_drops_win.h"

#include "shell/control_ids.h"

namespace karuvel {

namespace {

bool TakesDrops(HWND control) { return DropHandlerFor(GetDlgCtrlID(control)) != nullptr; }

// The innermost visible control under `screen` that takes drops, looking through the ones that
// take none; the window itself when there is none.
HWND ControlAt(HWND window, POINT screen) {
  HWND container = window;
  for (;;) {
    HWND found = nullptr;
    for (HWND child = GetWindow(container, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      if (!IsWindowVisible(child) || !GetWindowRect(child, &r) || !PtInRect(&r, screen) || !TakesDrops(child))
        continue;
      found = child;
      break;
    }
    if (found == nullptr) return container;
    container = found;
  }
}

}  // namespace

DropHandler DropHandlerFor(int controlId) {
  using namespace ids;
  switch (controlId) {
    case 0: return Form_OLEDragDrop;
    case kCbo切替対象: return Cbo切替対象_OLEDragDrop;
    case kCbo切替スクリプト: return Cbo切替スクリプト_OLEDragDrop;
    case kCmd切替: return Cmd切替_OLEDragDrop;
    case kCmd再読み込み: return Cmd再読み込み_OLEDragDrop;
    case kCmd詳細: return Cmd詳細_OLEDragDrop;
    case kCmd終了: return Cmd終了_OLEDragDrop;
    case kFraパネル: return Fraパネル_OLEDragDrop;
    case kFrame1: return Frame1_OLEDragDrop;
    case kFrame2: return Frame2_OLEDragDrop;
    case kFrame3: return Frame3_OLEDragDrop;
    case kFrame4: return Frame4_OLEDragDrop;
    case kLabel1: return Label1_OLEDragDrop;
    case kLabel2: return Label2_OLEDragDrop;
    case kLabel3: return Label3_OLEDragDrop;
    case kLblVersion: return LblVersion_OLEDragDrop;
    case kText1: return Text1_OLEDragDrop;
    case kText2: return Text2_OLEDragDrop;
    default: return nullptr;  // Label4, Shape1
  }
}

std::unique_ptr<DropTargetRegistration> RegisterWindowDrops(App& app, HWND mainWindow) {
  return DropTargetRegistration::Register(mainWindow, [&app, mainWindow](const DropData& data, POINT screen,
                                                                         DWORD keyState, DWORD& effect) {
    const HWND target = ControlAt(mainWindow, screen);
    const DropHandler handler = DropHandlerFor(target == mainWindow ? 0 : GetDlgCtrlID(target));
    // X and Y in the target's own coordinates, in twips.
    POINT local = screen;
    ScreenToClient(target, &local);
    HDC dc = GetDC(target);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(target, dc);
    const float x = static_cast<float>(MulDiv(local.x, 1440, dpi > 0 ? dpi : 96));
    const float y = static_cast<float>(MulDiv(local.y, 1440, dpi > 0 ? dpi : 96));
    uint32_t delivered = effect;
    handler(app, data, delivered, DropButton(keyState), DropShift(keyState), x, y);
    effect = delivered;
  });
}

}  // namespace karuvel
