// Functions of system DLLs that only some runs need (the file dialog's, COM's for the
// firewall), looked up on first use: a run that never needs them does not load them, nor
// the DLLs they bring along, while it starts. The DLL is taken from the system folder only.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The function `name` of the system DLL `library` (e.g. L"comdlg32.dll"), loading the DLL
// if needed; nullptr when either is missing.
inline FARPROC SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = ::GetModuleHandleW(library);
    if (module == nullptr) {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        const std::wstring path = std::wstring(folder, length) + L"\\" + library;
        module = ::LoadLibraryW(path.c_str());
        if (module == nullptr) return nullptr;
    }
    return ::GetProcAddress(module, name);
}

// The same, typed: SystemFunctionAs<decltype(&::GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW").
template <typename Function>
Function SystemFunctionAs(const wchar_t* library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemFunction(library, name)));
}

}  // namespace platform
