#include "framework/file_dialog.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* /*parent*/) {
    m_state.save = openFileDialog == FALSE;
    if (defaultExtension != nullptr) m_state.defaultExtension = defaultExtension;
    if (fileName != nullptr) m_state.fileName = fileName;
    m_state.flags = flags;
    if (filter != nullptr) {
        // "a|b|c|d|": pairs of description and pattern.
        std::wstring text = filter;
        std::vector<std::wstring> parts;
        size_t start = 0;
        for (size_t bar = text.find(L'|'); bar != std::wstring::npos; bar = text.find(L'|', start)) {
            parts.push_back(text.substr(start, bar - start));
            start = bar + 1;
        }
        if (start < text.size()) parts.push_back(text.substr(start));
        for (size_t i = 0; i + 1 < parts.size(); i += 2) m_state.filters.emplace_back(parts[i], parts[i + 1]);
    }
}

INT_PTR CFileDialog::DoModal() { return framework::CurrentPrompts().ShowFileDialog(m_state) ? IDOK : IDCANCEL; }
