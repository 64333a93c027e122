#include "framework/win32/win32_prompts.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "framework/ui_backend.h"
#include "platform/win32/system_function.h"

namespace framework {

int Win32Prompts::MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

bool Win32Prompts::ShowFileDialog(FileDialogState& state) {
    std::vector<wchar_t> file(32768, L'\0');
    state.fileName.copy(file.data(), std::min(state.fileName.size(), file.size() - 1));

    std::wstring filter;
    for (const auto& pair : state.filters) {
        filter += pair.first;
        filter.push_back(L'\0');
        filter += pair.second;
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Ui().ActiveWindow();
    ofn.lpstrFilter = state.filters.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = state.defaultExtension.empty() ? nullptr : state.defaultExtension.c_str();
    ofn.Flags = state.flags | OFN_EXPLORER;
    // The common dialogs' DLL is loaded the first time a file dialog opens.
    using Show = decltype(&::GetSaveFileNameW);
    static const Show save = platform::SystemFunctionAs<Show>(L"comdlg32.dll", "GetSaveFileNameW");
    static const Show open = platform::SystemFunctionAs<Show>(L"comdlg32.dll", "GetOpenFileNameW");
    const Show show = state.save ? save : open;
    if (show == nullptr || !show(&ofn)) return false;
    state.fileName = file.data();
    return true;
}

}  // namespace framework
