#include "describe.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "text.h"
#include "window_search.h"

namespace uidriver {

namespace {

std::wstring BaseClassName(HWND window) {
  // Versioned classes of the common controls read "6.0.0.0!Button"; keep the plain name.
  std::wstring name = ClassOf(window);
  size_t bang = name.find(L'!');
  return bang == std::wstring::npos ? name : name.substr(bang + 1);
}

std::string Hex(unsigned long long value) {
  char buffer[32];
  snprintf(buffer, sizeof buffer, "0x%llx", value);
  return buffer;
}

Json PixelRect(const RECT& r) {
  return Json{{"x", r.left}, {"y", r.top}, {"w", r.right - r.left}, {"h", r.bottom - r.top}};
}

Json UnitRectJson(const UnitRect& r) { return Json{{"x", r.x}, {"y", r.y}, {"w", r.w}, {"h", r.h}}; }

}  // namespace

std::string ControlKind(HWND control) {
  std::wstring cls = BaseClassName(control);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  if (EqualIgnoringCase(cls, L"Button")) {
    switch (style & BS_TYPEMASK) {
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

bool IsCheckable(HWND control) {
  std::string kind = ControlKind(control);
  return kind == "checkbox" || kind == "radio";
}

Json DescribeWindow(HWND window) {
  DWORD pid = 0;
  DWORD thread = GetWindowThreadProcessId(window, &pid);
  RECT rect{}, client{};
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  return Json{{"hwnd", Hex(reinterpret_cast<ULONG_PTR>(window))},
              {"pid", pid},
              {"thread", thread},
              {"class", Utf8(ClassOf(window))},
              {"caption", Utf8(CaptionOf(window))},
              {"style", Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)))},
              {"exstyle", Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)))},
              {"enabled", IsWindowEnabled(window) != FALSE},
              {"visible", IsWindowVisible(window) != FALSE},
              {"rect", PixelRect(rect)},
              {"client", {{"w", client.right}, {"h", client.bottom}}}};
}

HWND FocusedControl(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus) return nullptr;
  HWND window = info.hwndFocus;
  while (window && GetParent(window) != dialog) window = GetParent(window);
  return window;
}

Json DescribeControls(HWND dialog, const BaseUnits& units) {
  Json result = DescribeWindow(dialog);
  RECT client{};
  GetClientRect(dialog, &client);
  result["base_units"] = {{"x", units.x}, {"y", units.y}};
  result["client_dlu"] = {{"w", MulDiv(client.right, 4, units.x)}, {"h", MulDiv(client.bottom, 8, units.y)}};
  HWND focused = FocusedControl(dialog);
  result["focus"] = focused ? Json(GetDlgCtrlID(focused)) : Json(nullptr);
  Json controls = Json::array();
  int index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
    RECT pixels = RectInClient(child, dialog);
    Json c{{"index", index},
           {"id", GetDlgCtrlID(child)},
           {"kind", ControlKind(child)},
           {"class", Utf8(BaseClassName(child))},
           {"text", Utf8(ControlText(child))},
           {"style", Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)))},
           {"exstyle", Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)))},
           {"enabled", IsWindowEnabled(child) != FALSE},
           {"visible", IsWindowVisible(child) != FALSE},
           {"focused", child == focused},
           {"rect", UnitRectJson(PixelsToUnits(pixels, units))},
           {"rect_px", PixelRect(pixels)}};
    if (IsCheckable(child)) c["checked"] = SendBounded(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    controls.push_back(c);
  }
  result["controls"] = controls;
  return result;
}

}  // namespace uidriver
