// Dialog units: a template's positions are in units of the dialog font's average character
// width / 4 and height / 8. The driver rebuilds the dialogs' font (MS Shell Dlg, 8 points) the
// way the dialog manager does and converts pixel rectangles back, so tests compare against
// the template's numbers.
#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>

namespace uidriver {

struct BaseUnits {
  int x = 0;  // average character width in pixels
  int y = 0;  // character height in pixels
};

BaseUnits DialogBaseUnits();

// The window's rectangle relative to the dialog's client origin, in dialog units rounded to
// the nearest unit: {x, y, w, h}.
nlohmann::ordered_json UnitRect(HWND window, HWND dialog, const BaseUnits& units);

}  // namespace uidriver
