#include "platform/win32/win32_seams.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace platform {

std::wstring Win32CommandLine::Get() { return ::GetCommandLineW(); }

bool Win32CommandLine::Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    if (argv == nullptr) return false;
    arguments.assign(argv, argv + count);
    ::LocalFree(argv);
    return true;
}

int Win32CommandLine::CompareNoCase(const std::wstring& a, const std::wstring& b) {
    return ::StrCmpIW(a.c_str(), b.c_str());
}

DWORD Win32ModuleFile::GetFileName(wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); }

BOOL Win32ModuleFile::RemoveFileSpec(wchar_t* path) { return ::PathRemoveFileSpecW(path); }

std::wstring Win32MachineName::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

DWORD Win32Clock::TickCount() { return ::GetTickCount(); }

void Win32Clock::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
