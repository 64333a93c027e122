// The Win32 prompts: MessageBoxW and the common save and open dialogs.
#pragma once

#include "framework/prompts.h"

namespace framework {

class Win32Prompts : public Prompts {
public:
    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
    bool ShowFileDialog(FileDialogState& state) override;
};

}  // namespace framework
