#include <initializer_list>
#include <vector>

#include "commands.h"
#include "text.h"

namespace uidriver {

namespace {

// The control named by --id in the window named by --caption, refused when it is disabled (a
// user could not use it); `act` does the input and throws Failure when it is not taken.
template <typename Act>
Json OnEnabledControl(const Args& args, std::initializer_list<const wchar_t*> extra, Act act) {
  std::vector<const wchar_t*> valued{L"caption", L"timeout", L"id"};
  valued.insert(valued.end(), extra);
  Options options(args, valued);
  const int id = static_cast<int>(options.RequireInteger(L"id"));
  HWND dialog = TargetWindow(options);
  HWND control = RequireControl(dialog, id);
  if (!IsWindowEnabled(control)) {
    throw Failure("control " + std::to_string(id) + " is disabled (a user could not use it)");
  }
  act(options, dialog, control);
  return Json{{"done", true}};
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!PostMessageW(window, message, wParam, lParam)) throw Failure("cannot post message " + std::to_string(message));
}

}  // namespace

// WM_SETTEXT: an edit control reports the change (EN_CHANGE) as it does for typing.
Json SetTextCommand(const Args& args) {
  return OnEnabledControl(args, {L"text"}, [](const Options& options, HWND, HWND control) {
    const std::wstring text = options.Require(L"text");
    if (!SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
      throw Failure("the control refused the text");
    }
  });
}

// Characters one by one (WM_CHAR), so a control's own filter (digits only) applies.
Json TypeCommand(const Args& args) {
  return OnEnabledControl(args, {L"text"}, [](const Options& options, HWND, HWND control) {
    for (wchar_t c : options.Require(L"text")) Post(control, WM_CHAR, c, 1);
    Settle(control);
  });
}

// Posted, not sent: a click that opens a modal message box must not block the driver.
Json ClickCommand(const Args& args) {
  return OnEnabledControl(args, {}, [](const Options&, HWND, HWND control) {
    Post(control, BM_CLICK, 0, 0);
    Settle(control);
  });
}

// Moves the focus as the dialog's own tab handling does (WM_NEXTDLGCTL).
Json FocusCommand(const Args& args) {
  return OnEnabledControl(args, {}, [](const Options&, HWND dialog, HWND control) {
    SendBounded(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  });
}

// Escape or Tab pressed and released, posted to the control with the focus (or the one named
// by --id): the dialog's own keyboard handling sees it as a user's key.
Json KeyCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout", L"id", L"vk"});
  const std::wstring name = options.Require(L"vk");
  UINT vk = 0;
  if (EqualIgnoringCase(name, L"ESCAPE")) vk = VK_ESCAPE;
  if (EqualIgnoringCase(name, L"TAB")) vk = VK_TAB;
  if (vk == 0) throw UsageError("--vk wants ESCAPE or TAB, got: " + Utf8(name));
  HWND dialog = TargetWindow(options);
  HWND target = options.Has(L"id") ? RequireControl(dialog, static_cast<int>(options.RequireInteger(L"id")))
                                   : FocusWindow(dialog);
  if (!target) target = dialog;
  const LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
  Post(target, WM_KEYDOWN, vk, down);
  Post(target, WM_KEYUP, vk, down | (1LL << 30) | (1LL << 31));
  Settle(target);
  return Json{{"done", true}};
}

// The close request of the title bar's button or the system menu.
Json CloseCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout"});
  HWND window = TargetWindow(options);
  Post(window, WM_CLOSE, 0, 0);
  Settle(window);
  return Json{{"done", true}};
}

}  // namespace uidriver
