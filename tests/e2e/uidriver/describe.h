// JSON descriptions of what the driver sees: a top-level window and the controls of a dialog.
#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>

namespace uidriver {

using Json = nlohmann::ordered_json;

// class and caption.
Json DescribeWindow(HWND window);

// The window itself, the id of the control with the focus, and its child controls in z-order
// (for a dialog: template order), each with id, kind, text, enabled, focused and checked
// (check boxes and radio buttons only).
Json DescribeControls(HWND dialog);

// The window that has the keyboard focus in the dialog's thread, or null.
HWND FocusWindow(HWND dialog);

// "groupbox", "pushbutton", "defpushbutton", "checkbox", "radio", "edit", "static", ... from
// the class and style.
std::string ControlKind(HWND control);

}  // namespace uidriver
