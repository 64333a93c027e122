// Recognising message boxes: a dialog-class window ("#32770") holding a static with id 0xFFFF
// for its text, an optional icon and only push buttons with the standard command ids.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "describe.h"

namespace uidriver {

struct MessageBoxButton {
  int id = 0;
  std::wstring text;
  HWND window = nullptr;
};

struct MessageBoxInfo {
  HWND window = nullptr;  // the box itself
  std::wstring caption;
  std::wstring text;
  std::string icon;  // "error", "question", "warning", "information", "none" or "unknown"
  std::vector<MessageBoxButton> buttons;
};

MessageBoxInfo ReadMessageBox(HWND window);
// caption, text, icon and the buttons' labels (as shown, without '&').
Json ToJson(const MessageBoxInfo& box);

// Visible message boxes, topmost first; an empty caption matches any.
std::vector<HWND> FindMessageBoxes(const std::wstring& caption);

}  // namespace uidriver
