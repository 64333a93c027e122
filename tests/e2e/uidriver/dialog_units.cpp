#include "dialog_units.h"

#include "options.h"

namespace uidriver {

BaseUnits FontBaseUnits(const std::wstring& face, int points) {
  HDC screen = GetDC(nullptr);
  const int pixels = MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_DONTCARE, face.c_str());
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

UnitRect PixelsToUnits(const RECT& pixels, const BaseUnits& units) {
  UnitRect r;
  r.x = MulDiv(pixels.left, 4, units.x);
  r.y = MulDiv(pixels.top, 8, units.y);
  r.w = MulDiv(pixels.right - pixels.left, 4, units.x);
  r.h = MulDiv(pixels.bottom - pixels.top, 8, units.y);
  return r;
}

RECT RectInClient(HWND window, HWND reference) {
  RECT r{};
  GetWindowRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(reference, &origin);
  OffsetRect(&r, -origin.x, -origin.y);
  return r;
}

}  // namespace uidriver
