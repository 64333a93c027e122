#include "platform/win32/win32_process_launcher.h"

#include "platform/win32/unique_handle.h"

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
    unique_handle(info.hThread).reset();
    result.started = true;
    result.process = reinterpret_cast<ProcessHandle>(info.hProcess);
    return result;
}

DWORD Win32ProcessLauncher::Wait(ProcessHandle process, DWORD milliseconds) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds);
}

// Keeps the caller's last error: closing must not hide the failure being reported.
void Win32ProcessLauncher::Close(ProcessHandle process) { unique_handle(reinterpret_cast<HANDLE>(process)).reset(); }

}  // namespace platform
