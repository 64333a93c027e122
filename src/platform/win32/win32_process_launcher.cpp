#include "platform/win32/win32_process_launcher.h"

namespace platform {

ProcessStart Win32ProcessLauncher::Create(const std::wstring& applicationName, wchar_t* commandLine,
                                          BOOL inheritHandles, DWORD creationFlags) {
    STARTUPINFOW startup;
    ::ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    ::ZeroMemory(&info, sizeof(info));

    ProcessStart result;
    if (!::CreateProcessW(applicationName.c_str(), commandLine, nullptr, nullptr, inheritHandles, creationFlags,
                          nullptr, nullptr, &startup, &info)) {
        result.lastError = ::GetLastError();
        return result;
    }
    if (info.hThread != nullptr) ::CloseHandle(info.hThread);
    result.started = true;
    result.process = reinterpret_cast<ProcessHandle>(info.hProcess);
    return result;
}

DWORD Win32ProcessLauncher::Wait(ProcessHandle process, DWORD milliseconds) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds);
}

void Win32ProcessLauncher::Close(ProcessHandle process) {
    if (process == 0) return;
    // Keep the caller's last error: closing must not hide the failure being reported.
    const DWORD lastError = ::GetLastError();
    ::CloseHandle(reinterpret_cast<HANDLE>(process));
    ::SetLastError(lastError);
}

}  // namespace platform
