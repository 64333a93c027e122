#include "commands.h"
#include "message_box.h"
#include "text.h"

namespace uidriver {

namespace {

// Waits for a message box that can be read whole. A box whose thread is too busy to answer
// (a loaded machine, a box still being built) is looked at again until the timeout.
MessageBoxInfo WaitForMessageBox(const Options& options) {
  const std::wstring caption = options.Get(L"caption");
  const unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  MessageBoxInfo found;
  std::string lastProblem;
  if (!PollUntil(timeout, [&] {
        std::vector<HWND> boxes = FindMessageBoxes(caption);
        if (boxes.empty()) return false;
        try {
          found = ReadMessageBox(boxes.front());
        } catch (const Failure& problem) {
          lastProblem = problem.what();
          return false;
        }
        return true;
      })) {
    if (!lastProblem.empty()) throw Failure("a message box did not answer within " + std::to_string(timeout) + " ms: " + lastProblem);
    throw Failure("no message box" + (caption.empty() ? std::string() : " \"" + Utf8(caption) + "\"") +
                  " within " + std::to_string(timeout) + " ms");
  }
  return found;
}

}  // namespace

Json MessageBoxCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout"});
  return ToJson(WaitForMessageBox(options));
}

Json MessageBoxesCommand(const Args& args) {
  Options options(args, {});
  Json list = Json::array();
  for (HWND box : FindMessageBoxes(L"")) list.push_back(ToJson(ReadMessageBox(box)));
  return list;
}

// Presses the button whose text matches (letter case and '&' ignored) and waits until the box
// has closed; prints the box as it was answered.
Json AnswerCommand(const Args& args) {
  Options options(args, {L"caption", L"timeout", L"button"});
  const std::wstring wanted = StripMnemonics(options.Require(L"button"));
  const MessageBoxInfo box = WaitForMessageBox(options);
  HWND window = box.window;
  Json answered = ToJson(box);
  const MessageBoxButton* chosen = nullptr;
  for (const auto& b : box.buttons) {
    if (EqualIgnoringCase(StripMnemonics(b.text), wanted)) chosen = &b;
  }
  if (!chosen) {
    throw Failure("the message box has no button \"" + Utf8(wanted) + "\": " + answered["buttons"].dump());
  }
  if (!PostMessageW(chosen->window, BM_CLICK, 0, 0)) throw Failure("cannot post the click");
  const unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  if (!PollUntil(timeout, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) {
    throw Failure("the message box did not close after its button was pressed");
  }
  return answered;
}

}  // namespace uidriver
