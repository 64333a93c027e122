// The save (or open) file dialog.
#pragma once

#include "framework/prompts.h"
#include "framework/wnd.h"

#ifdef _WIN32
#include <commdlg.h>
#else
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#endif

class CFileDialog {
public:
    // `filter` is the framework's "Description|pattern|...|" text.
    CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension = nullptr, const wchar_t* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
                CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;

    // IDOK when a file was chosen, IDCANCEL otherwise. Showing it again starts from the
    // previous choice.
    virtual INT_PTR DoModal();
    CString GetPathName() const { return m_state.fileName; }

    const framework::FileDialogState& GetState() const { return m_state; }

private:
    framework::FileDialogState m_state;
};
