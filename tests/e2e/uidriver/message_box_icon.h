// Which standard icon a message box shows.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// "error", "question", "warning", "information", "none" or "unknown", for the icon static of a
// message box. Icon handles belong to the process that loaded them, so the icon is
// recognised by its pixels: the shown area is read from the screen and compared with each
// standard icon drawn here, on the pixels the icon covers.
std::string IdentifyMessageBoxIcon(HWND iconStatic);

}  // namespace uidriver
