// The Win32 backend: real dialogs, message boxes, the common file dialog and cursors.
#pragma once

#include "framework/ui_backend.h"

namespace framework {

class Win32Ui : public UiBackend {
public:
    BOOL InitCommonControls(DWORD classes) override;
    HICON LoadIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    INT_PTR RunModal(CDialog& dialog, UINT templateId) override;
    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
    int MessageBoxNarrow(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
    HWND ActiveWindow() override;
    bool ShowFileDialog(FileDialogState& state) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

private:
    int m_waitDepth = 0;
    HCURSOR m_cursorBeforeWait = nullptr;
};

}  // namespace framework
