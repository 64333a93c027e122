// The Win32 backend: real dialogs, icons and cursors.
#pragma once

#include "framework/ui_backend.h"

namespace framework {

class Win32Ui : public UiBackend {
public:
    BOOL InitCommonControls(DWORD classes) override;
    HICON LoadIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    INT_PTR RunModal(CDialog& dialog, UINT templateId) override;
    HWND ActiveWindow() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void DiscardPendingInput() override;

private:
    int m_waitDepth = 0;
    HCURSOR m_cursorBeforeWait = nullptr;
};

}  // namespace framework
