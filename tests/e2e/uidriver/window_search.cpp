#include "window_search.h"

#include <vector>

#include "options.h"
#include "text.h"

namespace uidriver {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

struct EnumState {
  const WindowQuery* query;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatching(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  const WindowQuery& q = *state->query;
  if (!q.className.empty() && ClassOf(window) != q.className) return TRUE;
  if (!q.caption.empty() && CaptionOf(window) != q.caption) return TRUE;
  state->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> FindTopLevelWindows(const WindowQuery& query) {
  EnumState state{&query, {}};
  EnumWindows(CollectMatching, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

bool PollUntil(unsigned long timeoutMs, const std::function<bool()>& probe) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    // A window that is too busy to answer now may answer at the next look.
    try {
      if (probe()) return true;
    } catch (const Failure&) {
      if (GetTickCount64() >= deadline) throw;
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

HWND WaitForWindow(const WindowQuery& query, unsigned long timeoutMs) {
  HWND found = nullptr;
  bool ok = PollUntil(timeoutMs, [&] {
    std::vector<HWND> windows = FindTopLevelWindows(query);
    if (windows.empty()) return false;
    found = windows.front();
    return true;
  });
  if (!ok) throw Failure("no window " + Describe(query) + " within " + std::to_string(timeoutMs) + " ms");
  return found;
}

HWND RequireControl(HWND dialog, int id) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  throw Failure("the window has no control with id " + std::to_string(id));
}

std::wstring CaptionOf(HWND window) {
  wchar_t buffer[1024];
  int length = InternalGetWindowText(window, buffer, 1024);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring ControlText(HWND control) {
  auto length = static_cast<size_t>(SendBounded(control, WM_GETTEXTLENGTH, 0, 0));
  std::vector<wchar_t> buffer(length + 1, L'\0');
  auto copied = static_cast<size_t>(
      SendBounded(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
  return std::wstring(buffer.data(), copied < length ? copied : length);
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256];
  int length = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                           &result)) {
    throw Failure("window does not answer (message " + std::to_string(message) + ", error " +
                  std::to_string(GetLastError()) + ")");
  }
  return static_cast<LRESULT>(result);
}

std::string Describe(const WindowQuery& query) {
  std::string text;
  if (!query.caption.empty()) text += "caption \"" + Utf8(query.caption) + "\"";
  if (!query.className.empty()) text += (text.empty() ? "" : ", ") + ("class " + Utf8(query.className));
  return text.empty() ? "(any)" : text;
}

}  // namespace uidriver
