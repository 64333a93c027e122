#include "describe.h"

#include <cctype>
#include <string>

#include "text.h"
#include "window_search.h"

namespace uidriver {

namespace {

// The direct child of the dialog that holds the focus (for controls made of several windows).
HWND FocusedControl(HWND dialog) {
  HWND window = FocusWindow(dialog);
  while (window && GetParent(window) != dialog) window = GetParent(window);
  return window;
}

}  // namespace

std::string ControlKind(HWND control) {
  // Versioned classes of the common controls read "6.0.0.0!Button"; keep the plain name.
  std::wstring cls = ClassOf(control);
  cls = cls.substr(cls.find(L'!') + 1);
  if (EqualIgnoringCase(cls, L"Button")) {
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
      case BS_PUSHBUTTON: return "pushbutton";
      case BS_DEFPUSHBUTTON: return "defpushbutton";
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE: return "checkbox";
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: return "radio";
      case BS_GROUPBOX: return "groupbox";
      default: return "button";
    }
  }
  std::string lower = Utf8(cls);
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return lower;
}

Json DescribeWindow(HWND window) {
  return Json{{"class", Utf8(ClassOf(window))}, {"caption", Utf8(CaptionOf(window))}};
}

HWND FocusWindow(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

Json DescribeControls(HWND dialog) {
  Json result = DescribeWindow(dialog);
  HWND focused = FocusedControl(dialog);
  result["focus"] = focused ? Json(GetDlgCtrlID(focused)) : Json(nullptr);
  Json controls = Json::array();
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string kind = ControlKind(child);
    Json c{{"id", GetDlgCtrlID(child)}, {"kind", kind}, {"text", Utf8(ControlText(child))}};
    c["enabled"] = IsWindowEnabled(child) != FALSE;
    c["focused"] = child == focused;
    if (kind == "checkbox" || kind == "radio") c["checked"] = SendBounded(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    controls.push_back(c);
  }
  result["controls"] = controls;
  return result;
}

}  // namespace uidriver
