// The real process launcher: CreateProcessW, WaitForSingleObject and CloseHandle.
#pragma once

#include "platform/process_launcher.h"

namespace platform {

class Win32ProcessLauncher : public ProcessLauncher {
public:
    ProcessStart Create(const std::wstring& applicationName, wchar_t* commandLine, BOOL inheritHandles,
                        DWORD creationFlags) override;
    DWORD Wait(ProcessHandle process, DWORD milliseconds) override;
    void Close(ProcessHandle process) override;
};

}  // namespace platform
