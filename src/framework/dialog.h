// Modal dialogs from templates, with virtual handlers, a message map and data exchange.
#pragma once

#include <map>
#include <memory>

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    const MessageMap* GetMessageMap() const override;

    // Shows the dialog and returns how it ended (IDOK, IDCANCEL, or -1 when it could not open).
    virtual INT_PTR DoModal();
    // Writes the fields into the controls; TRUE lets the system focus the first tab stop.
    virtual BOOL OnInitDialog();
    // Reads the controls into the fields and, when that succeeds, ends with IDOK.
    virtual void OnOK();
    // Ends with IDCANCEL; nothing is read or saved.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    // TRUE: read the controls into the fields (FALSE when an entry is refused); FALSE: write
    // the fields into the controls. Change notifications raised meanwhile reach no handler.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);

    CWnd* GetDlgItem(int id);
    // The control that has the keyboard focus, or nullptr when none of this dialog's has it.
    CWnd* GetFocus();
    BOOL IsIconic() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void GetClientRect(RECT* rect) const;
    // The default painting of the dialog window.
    void OnPaint();

    UINT GetTemplateId() const { return m_templateId; }
    framework::DialogWindow* GetWindow() const { return m_window; }

    // The window procedure's side, called by the backend. No exception leaves them: one that
    // escapes a handler is shown in an "Error!" box and the dialog goes on.
    BOOL HandleInitDialog(framework::DialogWindow* window);
    bool HandleCommand(UINT code, UINT id);
    bool HandleMessage(UINT message, LRESULT* result);
    void HandleDestroy();

private:
    UINT m_templateId;
    std::map<int, std::unique_ptr<CWnd>> m_items;
    int m_notificationLock = 0;
};

// A paint context for WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(CDialog* dialog);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);

private:
    framework::DialogWindow* m_window;
    HDC m_hDC;
};
