#include "commands.h"
#include "dialog_units.h"
#include "text.h"

namespace uidriver {

namespace {

BaseUnits UnitsFromOptions(const Options& options) {
  return FontBaseUnits(options.Get(L"font-face", L"MS Shell Dlg"),
                       static_cast<int>(options.Integer(L"font-size", 8)));
}

bool ParseBool(const std::wstring& text, const std::wstring& what) {
  if (text == L"true" || text == L"1" || text == L"yes") return true;
  if (text == L"false" || text == L"0" || text == L"no") return false;
  throw UsageError(Utf8(what) + " wants true or false, got: " + Utf8(text));
}

Json FindControl(const Json& description, int id) {
  for (const Json& c : description["controls"]) {
    if (c["id"] == id) return c;
  }
  return Json();
}

}  // namespace

WindowQuery QueryFromOptions(const Options& options) {
  WindowQuery query;
  query.caption = options.Get(L"caption");
  query.className = options.Get(L"class");
  query.processId = static_cast<DWORD>(options.Integer(L"pid", 0));
  if (query.caption.empty() && query.className.empty() && query.processId == 0) {
    throw UsageError("name the window with --caption, --class or --pid");
  }
  return query;
}

HWND TargetWindow(const Options& options) {
  return WaitForWindow(QueryFromOptions(options), options.TimeoutMs(kDefaultTimeoutMs));
}

void Settle(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &ignored);
}

Json WaitWindowCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout"});
  return DescribeWindow(TargetWindow(options));
}

Json WaitGoneCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout"});
  WindowQuery query = QueryFromOptions(options);
  unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  if (!PollUntil(timeout, [&] { return FindTopLevelWindows(query).empty(); })) {
    throw Failure("window " + Describe(query) + " still there after " + std::to_string(timeout) + " ms");
  }
  return Json{{"gone", true}};
}

Json WindowsCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid"});
  WindowQuery query;
  query.caption = options.Get(L"caption");
  query.className = options.Get(L"class");
  query.processId = static_cast<DWORD>(options.Integer(L"pid", 0));
  Json list = Json::array();
  for (HWND window : FindTopLevelWindows(query)) list.push_back(DescribeWindow(window));
  return list;
}

Json ControlsCommand(const Args& args) {
  Options options(args, {L"caption", L"class", L"pid", L"timeout", L"font-face", L"font-size"});
  HWND dialog = TargetWindow(options);
  return DescribeControls(dialog, UnitsFromOptions(options));
}

Json WaitControlCommand(const Args& args) {
  Options options(args,
                  {L"caption", L"class", L"pid", L"timeout", L"font-face", L"font-size", L"id", L"enabled",
                   L"visible", L"checked", L"text"},
                  {L"focused"});
  const int id = static_cast<int>(options.RequireInteger(L"id"));
  const unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  HWND dialog = TargetWindow(options);
  const BaseUnits units = UnitsFromOptions(options);
  Json control;
  std::string unmet;
  auto holds = [&] {
    if (!IsWindow(dialog)) throw Failure("the window closed while waiting for control " + std::to_string(id));
    control = FindControl(DescribeControls(dialog, units), id);
    if (control.is_null()) throw Failure("the window has no control with id " + std::to_string(id));
    auto check = [&](const wchar_t* name, const char* field) {
      if (!options.Has(name)) return true;
      if (control[field] == ParseBool(options.Get(name), std::wstring(L"--") + name)) return true;
      unmet = std::string(field) + " is " + control[field].dump();
      return false;
    };
    if (!check(L"enabled", "enabled") || !check(L"visible", "visible")) return false;
    if (options.Has(L"checked") && !control.contains("checked")) {
      throw Failure("control " + std::to_string(id) + " cannot be checked");
    }
    if (!check(L"checked", "checked")) return false;
    if (options.Has(L"text") && control["text"] != Utf8(options.Get(L"text"))) {
      unmet = "text is " + control["text"].dump();
      return false;
    }
    if (options.Has(L"focused") && !control["focused"].get<bool>()) {
      unmet = "it has no focus";
      return false;
    }
    return true;
  };
  if (!PollUntil(timeout, holds)) {
    throw Failure("control " + std::to_string(id) + ": " + unmet + " after " + std::to_string(timeout) + " ms");
  }
  return control;
}

}  // namespace uidriver
