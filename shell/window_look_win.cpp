#include "shell/window_look_win.h"

#include "common/late_bound_win.h"
#include "shell/window_classes_win.h"

namespace karuvel {

namespace {

constexpr COLORREF kShapeFill = RGB(192, 192, 192);
// Text on the designed background: black, and disabled text a grey that still reads on it.
constexpr COLORREF kDesignedText = RGB(0, 0, 0);
constexpr COLORREF kDesignedGrayText = RGB(109, 109, 109);

// Whether the user has turned high contrast on.
bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

COLORREF WindowLook::Colour(int systemColour, COLORREF designed) const {
  return highContrast_ ? GetSysColor(systemColour) : designed;
}

bool WindowLook::Update(bool always) {
  const bool was = highContrast_;
  highContrast_ = SystemHighContrast();
  if (background_ && !always && highContrast_ == was) return false;
  background_.Reset(CreateSolidBrush(Colour(COLOR_BTNFACE, kWindowBackground)));
  boxFill_.Reset(CreateSolidBrush(Colour(COLOR_WINDOW, kWindowBackground)));
  if (!shapeFill_) shapeFill_.Reset(CreateSolidBrush(kShapeFill));
  return true;
}

LRESULT WindowLook::ControlColours(HWND control, const ControlLayout& c, UINT message, HDC dc) const {
  if (c.kind == Kind::Label || c.kind == Kind::ListName || c.kind == Kind::Shape) {
    // Text only: what lies beneath, the list beside a name or the bar, is never painted over.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(COLOR_BTNTEXT, c.colour));
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  if (c.kind == Kind::TextBox || c.kind == Kind::Frame || message == WM_CTLCOLORBTN) {
    // The text goes with the background: the designed pair, or the system's under high contrast.
    const bool box = c.kind == Kind::TextBox;
    SetBkColor(dc, box ? Colour(COLOR_WINDOW, kWindowBackground) : Colour(COLOR_BTNFACE, kWindowBackground));
    const COLORREF text = Colour(box ? COLOR_WINDOWTEXT : COLOR_BTNTEXT, kDesignedText);
    SetTextColor(dc, IsWindowEnabled(control) ? text : Colour(COLOR_GRAYTEXT, kDesignedGrayText));
    return reinterpret_cast<LRESULT>((box ? boxFill_ : background_).Get());
  }
  return 0;
}

void WindowLook::PaintBackground(HWND window, HDC dc, int dpi) const {
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, static_cast<HBRUSH>(background_.Get()));
  // The bar beneath the title, drawn here so the title labels stand on it; high contrast leaves it out.
  if (highContrast_) return;
  const RECT bar = PlaceOf(LayoutOf(ids::kTitleBar), dpi);
  FillRect(dc, &bar, static_cast<HBRUSH>(shapeFill_.Get()));
}

void WindowLook::UpdateIcons(HWND window, HINSTANCE instance, int dpi) {
  const int metrics[2][2] = {{SM_CXICON, SM_CYICON}, {SM_CXSMICON, SM_CYSMICON}};
  for (int i = 0; i < 2; ++i) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  SystemMetricForDpi(metrics[i][0], dpi),
                                                  SystemMetricForDpi(metrics[i][1], dpi), LR_DEFAULTCOLOR)));
    SendMessageW(window, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon.Get()));
    icons_[i] = std::move(icon);
  }
}

}  // namespace karuvel
