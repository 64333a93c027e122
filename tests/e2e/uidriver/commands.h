// The driver's commands. Each takes the arguments after its name and returns what it prints;
// it throws UsageError for a bad command line and Failure when its condition does not hold.
#pragma once

#include <string>
#include <vector>

#include "describe.h"
#include "options.h"
#include "window_search.h"

namespace uidriver {

using Args = std::vector<std::wstring>;

// Windows and controls (window_commands.cpp).
Json WaitWindowCommand(const Args& args);
Json WaitGoneCommand(const Args& args);
Json WindowsCommand(const Args& args);
Json ControlsCommand(const Args& args);
Json WaitControlCommand(const Args& args);

// Input (input_commands.cpp).
Json SetTextCommand(const Args& args);
Json TypeCommand(const Args& args);
Json ClickCommand(const Args& args);
Json KeyCommand(const Args& args);
Json CloseCommand(const Args& args);
Json FocusCommand(const Args& args);

// Message boxes (message_box_commands.cpp).
Json MessageBoxCommand(const Args& args);
Json MessageBoxesCommand(const Args& args);
Json AnswerCommand(const Args& args);

// The save and open file dialogs (file_dialog_commands.cpp).
Json FileDialogCommand(const Args& args);

// The live dialog against the template the program carries (template_command.cpp).
Json TemplateCommand(const Args& args);

// Starting a program with an exact command line (launch_command.cpp).
Json LaunchCommand(const Args& args);

// Shared by the commands: the window named by --caption, waited for within --timeout.
HWND TargetWindow(const Options& options);

// Waits until the window's thread has handled what was posted to it before (bounded; a
// thread that stays busy, for instance in a modal loop of its own, is not waited for).
void Settle(HWND window);

}  // namespace uidriver
