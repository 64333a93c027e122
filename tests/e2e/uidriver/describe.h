// JSON descriptions of what the driver sees: a top-level window and the controls of a dialog.
#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>

#include "dialog_units.h"

namespace uidriver {

using Json = nlohmann::ordered_json;

// hwnd, pid, class, caption, style, exstyle, enabled, visible, rect (screen pixels) and the
// client area's size in pixels.
Json DescribeWindow(HWND window);

// The window itself plus its child controls in z-order (for a dialog: template order), each
// with id, kind, class, text, style, exstyle, enabled, visible, focused, checked (check boxes
// and radio buttons) and its rectangle in dialog units of the given base units.
Json DescribeControls(HWND dialog, const BaseUnits& units);

// The control of the dialog that has the keyboard focus (the direct child that holds it, for
// controls made of several windows), or null.
HWND FocusedControl(HWND dialog);

// "groupbox", "pushbutton", "defpushbutton", "checkbox", "radio", "edit", "static", ... from
// the class and style.
std::string ControlKind(HWND control);

bool IsCheckable(HWND control);

}  // namespace uidriver
