// uidriver: drives the dialogs of a Windows program for end-to-end tests.
// Usage: uidriver COMMAND [--option value]...; prints JSON on stdout. Exit code 0 when the
// command's condition held, 1 when it did not (message on stderr), 2 for a bad command line.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "text.h"

namespace {

using uidriver::Args;
using uidriver::Json;

struct Command {
  const wchar_t* name;
  Json (*run)(const Args&);
  const char* help;
};

const Command kCommands[] = {
    {L"wait-window", uidriver::WaitWindowCommand, "--caption T: a visible top-level window"},
    {L"wait-gone", uidriver::WaitGoneCommand, "--caption T: until no such window is left"},
    {L"windows", uidriver::WindowsCommand, "[--class C]: visible top-level windows now"},
    {L"controls", uidriver::ControlsCommand, "--caption T: the child controls"},
    {L"template", uidriver::TemplateCommand, "--caption T --file F --id N: the dialog against template N of F"},
    {L"wait-control", uidriver::WaitControlCommand,
     "--caption T --id N [--enabled B] [--text S] [--focused]"},
    {L"settext", uidriver::SetTextCommand, "--caption T --id N --text S: WM_SETTEXT"},
    {L"type", uidriver::TypeCommand, "--caption T --id N --text S: one WM_CHAR per character"},
    {L"click", uidriver::ClickCommand, "--caption T --id N: posts BM_CLICK"},
    {L"focus", uidriver::FocusCommand, "--caption T --id N: moves the focus to the control"},
    {L"key", uidriver::KeyCommand, "--caption T --vk ESCAPE|TAB [--id N]: key press"},
    {L"close", uidriver::CloseCommand, "--caption T: posts WM_CLOSE"},
    {L"messagebox", uidriver::MessageBoxCommand, "[--caption T]: waits for a message box and reads it"},
    {L"messageboxes", uidriver::MessageBoxesCommand, "(no options): the message boxes open now"},
    {L"answer", uidriver::AnswerCommand, "--button TEXT [--caption T]: presses a message box button"},
    {L"filedialog", uidriver::FileDialogCommand, "[--path P]: the file dialog"},
    {L"launch", uidriver::LaunchCommand, "--cmdline S [--cwd D]: runs a program, reports its exit code"},
};

void PrintUsage() {
  std::fputs("usage: uidriver COMMAND [options] [--timeout SECONDS]\n", stderr);
  for (const Command& c : kCommands) {
    std::fprintf(stderr, "  %s %s\n", uidriver::Utf8(c.name).c_str(), c.help);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    PrintUsage();
    return 2;
  }
  const std::wstring name = argv[1];
  Args args(argv + 2, argv + argc);
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    try {
      std::string out = c.run(args).dump() + "\n";
      std::fwrite(out.data(), 1, out.size(), stdout);
      std::fflush(stdout);
      return 0;
    } catch (const uidriver::UsageError& e) {
      std::fprintf(stderr, "uidriver %s: %s\n", uidriver::Utf8(name).c_str(), e.what());
      return 2;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "uidriver %s: %s\n", uidriver::Utf8(name).c_str(), e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "uidriver: unknown command %s\n", uidriver::Utf8(name).c_str());
  PrintUsage();
  return 2;
}
