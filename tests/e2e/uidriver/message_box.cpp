#include "message_box.h"

#include "message_box_icon.h"
#include "text.h"
#include "window_search.h"

namespace uidriver {

namespace {

constexpr int kTextId = 0xFFFF;

bool IsStandardCommandId(int id) { return id >= IDOK && id <= IDCONTINUE; }

bool IsMessageBox(HWND window) {
  if (ClassOf(window) != L"#32770") return false;
  bool hasText = false;
  bool hasButton = false;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string kind = ControlKind(child);
    int id = GetDlgCtrlID(child);
    if (kind == "static") {
      if (id == kTextId) hasText = true;
    } else if (kind == "pushbutton" || kind == "defpushbutton") {
      if (!IsStandardCommandId(id)) return false;
      hasButton = true;
    } else {
      return false;
    }
  }
  return hasText && hasButton;
}

}  // namespace

MessageBoxInfo ReadMessageBox(HWND window) {
  MessageBoxInfo box;
  box.window = window;
  box.caption = CaptionOf(window);
  box.icon = "none";
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string kind = ControlKind(child);
    int id = GetDlgCtrlID(child);
    if (kind == "static") {
      if (id == kTextId) {
        box.text = ControlText(child);
      } else if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
        box.icon = IdentifyMessageBoxIcon(child);
      }
    } else if (kind == "pushbutton" || kind == "defpushbutton") {
      if (IsWindowVisible(child)) box.buttons.push_back({id, ControlText(child), child});
    }
  }
  return box;
}

Json ToJson(const MessageBoxInfo& box) {
  Json buttons = Json::array();
  for (const auto& b : box.buttons) buttons.push_back({{"label", Utf8(StripMnemonics(b.text))}});
  return Json{{"caption", Utf8(box.caption)}, {"text", Utf8(box.text)}, {"icon", box.icon}, {"buttons", buttons}};
}

std::vector<HWND> FindMessageBoxes(const std::wstring& caption) {
  WindowQuery query;
  query.caption = caption;
  query.className = L"#32770";
  std::vector<HWND> boxes;
  for (HWND window : FindTopLevelWindows(query)) {
    if (IsMessageBox(window)) boxes.push_back(window);
  }
  return boxes;
}

}  // namespace uidriver
