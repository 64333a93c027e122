// The modal prompts: message boxes and the file dialog. Every one the framework shows goes
// through this one seam, so that a test can answer it and record what was shown; the
// program installs the Win32 prompts.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/wintypes.h"

namespace framework {

// The save-file dialog's state, kept between two showings so the second starts where the
// first ended.
struct FileDialogState {
    bool save = true;
    std::wstring defaultExtension;  // without the dot
    std::wstring fileName;          // initial name in, chosen full path out
    DWORD flags = 0;
    // Pairs of description and pattern, from the framework's "a|b|c|d|" filter text.
    std::vector<std::pair<std::wstring, std::wstring>> filters;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a message box and gives the button that closed it.
    virtual int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
    // True when the user chose a file; `state.fileName` then holds its full path.
    virtual bool ShowFileDialog(FileDialogState& state) = 0;
};

// The prompts in force; throws std::logic_error when none were installed.
Prompts& CurrentPrompts();
// Replaces the prompts in force and gives back the previous ones.
Prompts* InstallPrompts(Prompts* prompts);

}  // namespace framework

// The plain "Error!" box (no owner, error icon, OK, topmost) for a failure's narrow text, which is
// UTF-8: shown as the characters it encodes whatever the system's ANSI code page.
void ShowErrorBox(const char* text);
