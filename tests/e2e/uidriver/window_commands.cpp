#include "commands.h"
#include "text.h"

namespace uidriver {

namespace {

WindowQuery CaptionQuery(const Options& options) {
  WindowQuery query;
  query.caption = options.Require(L"caption");
  return query;
}

bool ParseBool(const std::wstring& text, const std::wstring& what) {
  if (text == L"true" || text == L"1" || text == L"yes") return true;
  if (text == L"false" || text == L"0" || text == L"no") return false;
  throw UsageError("--" + Utf8(what) + " wants true or false, got: " + Utf8(text));
}

}  // namespace

HWND TargetWindow(const Options& options) {
  return WaitForWindow(CaptionQuery(options), options.TimeoutMs(kDefaultTimeoutMs));
}

void Settle(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &ignored);
}

Json WaitWindowCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout"});
  return DescribeWindow(TargetWindow(options));
}

Json WaitGoneCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout"});
  WindowQuery query = CaptionQuery(options);
  unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  if (!PollUntil(timeout, [&] { return FindTopLevelWindows(query).empty(); })) {
    throw Failure("window " + Describe(query) + " still there after " + std::to_string(timeout) + " ms");
  }
  return Json{{"gone", true}};
}

Json WindowsCommand(const Args& args) {
  Options options(args, {L"class"});
  WindowQuery query;
  query.className = options.Get(L"class");
  Json list = Json::array();
  for (HWND window : FindTopLevelWindows(query)) list.push_back(DescribeWindow(window));
  return list;
}

Json ControlsCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout"});
  return DescribeControls(TargetWindow(options));
}

// Polls the control's description until every state named holds.
Json WaitControlCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout", L"id", L"enabled", L"text"}, {L"focused"});
  const int id = static_cast<int>(options.RequireInteger(L"id"));
  const unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  HWND dialog = TargetWindow(options);
  Json wanted = Json::object();
  if (options.Has(L"enabled")) wanted["enabled"] = ParseBool(options.Get(L"enabled"), L"enabled");
  if (options.Has(L"text")) wanted["text"] = Utf8(options.Get(L"text"));
  if (options.Has(L"focused")) wanted["focused"] = true;
  Json control;
  std::string unmet;
  auto holds = [&] {
    if (!IsWindow(dialog)) throw Failure("the window closed while waiting for control " + std::to_string(id));
    control = Json();
    const Json seen = DescribeControls(dialog);
    for (const Json& c : seen["controls"]) {
      if (c["id"] == id && control.is_null()) control = c;
    }
    if (control.is_null()) throw Failure("the window has no control with id " + std::to_string(id));
    for (const auto& field : wanted.items()) {
      if (!control.contains(field.key())) throw Failure("control " + std::to_string(id) + " has no " + field.key());
      if (control[field.key()] != field.value()) {
        unmet = field.key() + " is " + control[field.key()].dump();
        return false;
      }
    }
    return true;
  };
  if (!PollUntil(timeout, holds)) {
    throw Failure("control " + std::to_string(id) + ": " + unmet + " after " + std::to_string(timeout) + " ms");
  }
  return control;
}

}  // namespace uidriver
