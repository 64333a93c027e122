#include <cwctype>

#include "commands.h"
#include "text.h"

namespace uidriver {

namespace {

struct Target {
  HWND dialog;
  HWND control;
  int id;
};

Target ControlTarget(const Options& options) {
  Target t;
  t.id = static_cast<int>(options.RequireInteger(L"id"));
  t.dialog = TargetWindow(options);
  t.control = RequireControl(t.dialog, t.id);
  return t;
}

Json Done(const Target& t) { return Json{{"id", t.id}, {"done", true}}; }

void RequireEnabled(const Target& t, const Options& options) {
  if (options.Has(L"force")) return;
  if (!IsWindowEnabled(t.control)) {
    throw Failure("control " + std::to_string(t.id) + " is disabled (a user could not use it)");
  }
}

struct NamedKey {
  const wchar_t* name;
  UINT vk;
};

const NamedKey kKeys[] = {{L"ESCAPE", VK_ESCAPE}, {L"RETURN", VK_RETURN}, {L"ENTER", VK_RETURN},
                          {L"TAB", VK_TAB},       {L"SPACE", VK_SPACE},   {L"BACK", VK_BACK},
                          {L"DELETE", VK_DELETE}, {L"LEFT", VK_LEFT},     {L"RIGHT", VK_RIGHT},
                          {L"UP", VK_UP},         {L"DOWN", VK_DOWN},     {L"HOME", VK_HOME},
                          {L"END", VK_END},       {L"F1", VK_F1}};

UINT ParseKey(const std::wstring& text) {
  for (const NamedKey& k : kKeys) {
    if (EqualIgnoringCase(text, k.name)) return k.vk;
  }
  if (text.size() == 1 && (std::iswalnum(text[0]) != 0)) return static_cast<UINT>(std::towupper(text[0]));
  long long vk = ParseInteger(text, L"--vk");
  if (vk <= 0 || vk > 0xFE) throw UsageError("--vk out of range");
  return static_cast<UINT>(vk);
}

}  // namespace

// WM_SETTEXT: an edit control reports the change (EN_CHANGE) as it does for typing.
Json SetTextCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id", L"text"}, {L"force"});
  const std::wstring text = options.Require(L"text");
  Target t = ControlTarget(options);
  RequireEnabled(t, options);
  if (!SendBounded(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
    throw Failure("control " + std::to_string(t.id) + " refused the text");
  }
  return Done(t);
}

// Characters one by one (WM_CHAR), so a control's own filter (digits only) applies.
Json TypeCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id", L"text"}, {L"force"});
  const std::wstring text = options.Require(L"text");
  Target t = ControlTarget(options);
  RequireEnabled(t, options);
  for (wchar_t c : text) PostMessageW(t.control, WM_CHAR, c, 1);
  Settle(t.control);
  return Done(t);
}

// Posted, not sent: a click that opens a modal message box must not block the driver.
Json ClickCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id"}, {L"force"});
  Target t = ControlTarget(options);
  RequireEnabled(t, options);
  if (!PostMessageW(t.control, BM_CLICK, 0, 0)) throw Failure("cannot post the click");
  Settle(t.control);
  return Done(t);
}

// A key press and release, posted to the control with the focus (or the one named by --id):
// the dialog's own keyboard handling sees it as a user's key.
Json KeyCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id", L"vk"});
  const UINT vk = ParseKey(options.Require(L"vk"));
  HWND dialog = TargetWindow(options);
  HWND target = nullptr;
  if (options.Has(L"id")) {
    target = RequireControl(dialog, static_cast<int>(options.RequireInteger(L"id")));
  } else {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus) {
      target = info.hwndFocus;
    } else {
      target = dialog;
    }
  }
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | (1LL << 30) | (1LL << 31);
  if (!PostMessageW(target, WM_KEYDOWN, vk, down) || !PostMessageW(target, WM_KEYUP, vk, up)) {
    throw Failure("cannot post the key");
  }
  Settle(target);
  return Json{{"vk", vk}, {"target_id", GetDlgCtrlID(target)}, {"done", true}};
}

// A command as a button or the keyboard would send it (WM_COMMAND, posted): IDCANCEL is what
// Escape sends.
Json CommandCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id"});
  const int id = static_cast<int>(options.RequireInteger(L"id"));
  HWND dialog = TargetWindow(options);
  HWND control = GetDlgItem(dialog, id);
  if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control))) {
    throw Failure("cannot post the command");
  }
  Settle(dialog);
  return Json{{"id", id}, {"done", true}};
}

// The close request of the title bar's button or the system menu.
Json CloseCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout"});
  HWND window = TargetWindow(options);
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) throw Failure("cannot post WM_CLOSE");
  Settle(window);
  return Json{{"done", true}};
}

// Moves the focus as the dialog's own tab handling does (WM_NEXTDLGCTL).
Json FocusCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"id"}, {L"force"});
  Target t = ControlTarget(options);
  RequireEnabled(t, options);
  SendBounded(t.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(t.control), TRUE);
  return Done(t);
}

}  // namespace uidriver
