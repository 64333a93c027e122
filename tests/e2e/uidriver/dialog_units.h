// Dialog units: a template's positions are in units of the dialog font's average character
// width / 4 and height / 8. The driver rebuilds the font the way the dialog manager does and
// converts pixel rectangles back, so tests compare against the template's numbers.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

struct BaseUnits {
  int x = 0;  // average character width in pixels
  int y = 0;  // character height in pixels
};

struct UnitRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Base units of the font a template names (face and point size), as the dialog manager
// computes them for a template with a font.
BaseUnits FontBaseUnits(const std::wstring& face, int points);

// Pixels relative to the dialog's client origin to dialog units, rounded to the nearest unit.
UnitRect PixelsToUnits(const RECT& pixels, const BaseUnits& units);

// A window's rectangle relative to another window's client origin, in pixels.
RECT RectInClient(HWND window, HWND reference);

}  // namespace uidriver
