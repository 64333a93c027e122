// What the framework asks of a user-interface backend: the Win32 one shows real windows. The
// modal prompts (message boxes, the file dialog) are a seam of their own (framework/prompts.h).
#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

class CDialog;

namespace framework {

// One live dialog window, as its dialog object sees it. Control operations take the
// control's identifier.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual HWND Handle() = 0;
    virtual std::wstring GetItemText(int id) = 0;
    virtual void SetItemText(int id, const std::wstring& text) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsItemEnabled(int id) = 0;
    virtual void FocusItem(int id) = 0;
    // The control of this dialog that has the keyboard focus; 0 when none of them has it.
    virtual int FocusedItem() = 0;
    // The grey hint an empty edit control shows (EM_SETCUEBANNER), also while it has the focus.
    virtual void SetItemCueBanner(int id, const std::wstring& text) = 0;
    // Selects the whole text of an edit control (after a rejected entry).
    virtual void SelectAllText(int id) = 0;
    virtual bool IsItemChecked(int id) = 0;
    virtual void CheckItem(int id, bool checked) = 0;
    // The radio buttons of the group that starts at `firstId`, in template order, up to the
    // next control that starts a group.
    virtual std::vector<int> RadioGroup(int firstId) = 0;
    virtual void End(INT_PTR result) = 0;

    virtual bool IsIconic() = 0;
    virtual LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual RECT ClientRect() = 0;
    // Painting: a paint context for WM_PAINT, icon drawing, and the default painting.
    virtual HDC BeginPaint() = 0;
    virtual void EndPaint() = 0;
    virtual void DrawIcon(HDC dc, int x, int y, HICON icon) = 0;
    virtual void DefaultPaint() = 0;
};

class UiBackend {
public:
    virtual ~UiBackend() = default;

    virtual BOOL InitCommonControls(DWORD classes) = 0;
    virtual HICON LoadIcon(UINT resourceId) = 0;
    virtual int GetSystemMetrics(int index) = 0;

    // Shows the dialog modally from its template; the backend calls back into the dialog
    // (CDialog::HandleInitDialog, HandleCommand, HandleMessage) and returns its end result.
    virtual INT_PTR RunModal(CDialog& dialog, UINT templateId) = 0;

    // The window that a framework prompt belongs to (the active dialog, or the innermost running
    // one when none is active), if any.
    virtual HWND ActiveWindow() = 0;

    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Drops the keys and clicks queued for this thread's windows, which have not been read yet.
    virtual void DiscardPendingInput() = 0;
};

// The backend in force (the program and its Windows tests install the Win32 one).
UiBackend& Ui();
UiBackend* InstallUi(UiBackend* backend);

}  // namespace framework
