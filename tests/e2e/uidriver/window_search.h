// Finding windows: top-level windows by caption and class, controls by id, and polling
// with a bounded timeout until something turns up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace uidriver {

constexpr unsigned long kDefaultTimeoutMs = 20000;

struct WindowQuery {
  std::wstring caption;    // exact caption; empty matches any
  std::wstring className;  // exact class name; empty matches any
};

// Visible top-level windows that match, in z-order (topmost first).
std::vector<HWND> FindTopLevelWindows(const WindowQuery& query);

// Calls probe every 50 ms until it returns true or the timeout passes; returns its last answer.
bool PollUntil(unsigned long timeoutMs, const std::function<bool()>& probe);

// The first matching window, waiting for it; throws Failure naming the query on timeout.
HWND WaitForWindow(const WindowQuery& query, unsigned long timeoutMs);

// The direct child with this control id; throws Failure when there is none.
HWND RequireControl(HWND dialog, int id);

// Text of a window: captions without sending messages, control texts with WM_GETTEXT bounded
// by a timeout, so a busy program cannot hang the driver.
std::wstring CaptionOf(HWND window);
std::wstring ControlText(HWND control);
std::wstring ClassOf(HWND window);

// SendMessageTimeout that throws Failure when the window's thread does not answer in time.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

std::string Describe(const WindowQuery& query);

}  // namespace uidriver
