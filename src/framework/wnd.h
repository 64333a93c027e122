// A window as the dialogs see it: the dialog itself, or one of its controls.
#pragma once

#include <string>

#include "framework/cmd_target.h"
#include "framework/ui_backend.h"

typedef std::wstring CString;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // A control of a live dialog window.
    CWnd(framework::DialogWindow* window, int id) : m_window(window), m_id(id) {}

    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void SetFocus();
    // Edit controls: the grey hint shown while the control is empty.
    void SetCueBanner(const std::wstring& text);
    void SetWindowText(const std::wstring& text);
    void GetWindowText(CString& text) const;
    int GetDlgCtrlID() const { return m_id; }

protected:
    framework::DialogWindow* m_window = nullptr;
    int m_id = 0;
};
