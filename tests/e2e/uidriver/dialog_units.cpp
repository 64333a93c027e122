#include "dialog_units.h"

#include "options.h"

namespace uidriver {

BaseUnits DialogBaseUnits() {
  HDC screen = GetDC(nullptr);
  const int pixels = MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
  HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_DONTCARE, L"MS Shell Dlg");
  if (!font) {
    ReleaseDC(nullptr, screen);
    throw Failure("cannot create the dialog font");
  }
  HGDIOBJ previous = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  // The average width of the 52 Latin letters, rounded: the dialog manager's own measure.
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32W(screen, kLetters, 52, &extent);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  BaseUnits units;
  units.x = (extent.cx / 26 + 1) / 2;
  units.y = metrics.tmHeight;
  if (units.x <= 0 || units.y <= 0) throw Failure("the dialog font has no size");
  return units;
}

nlohmann::ordered_json UnitRect(HWND window, HWND dialog, const BaseUnits& units) {
  RECT r{};
  GetWindowRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  OffsetRect(&r, -origin.x, -origin.y);
  return {{"x", MulDiv(r.left, 4, units.x)},
          {"y", MulDiv(r.top, 8, units.y)},
          {"w", MulDiv(r.right - r.left, 4, units.x)},
          {"h", MulDiv(r.bottom - r.top, 8, units.y)}};
}

}  // namespace uidriver
