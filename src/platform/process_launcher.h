// Seam: starting another program and waiting for it to end.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

namespace platform {

// A process handle as the launcher hands it out; 0 stands for none.
using ProcessHandle = std::uintptr_t;

// What an attempt to start a program gave.
struct ProcessStart {
    bool started = false;
    // The system's error code (GetLastError) when the program did not start.
    DWORD lastError = 0;
    // The started process, to wait for and to close; 0 when the system gave none.
    ProcessHandle process = 0;
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // CreateProcessW: `applicationName` is the program to run, `commandLine` a writable,
    // zero-terminated argument text (the system may change it while it starts the program).
    // No security attributes, the caller's environment and current folder, a start-up record
    // that is zero but for its size. The new process's thread handle is not kept.
    virtual ProcessStart Create(const std::wstring& applicationName, wchar_t* commandLine, BOOL inheritHandles,
                                DWORD creationFlags) = 0;
    // WaitForSingleObject on the process; gives the wait's result (WAIT_OBJECT_0 when it ended).
    virtual DWORD Wait(ProcessHandle process, DWORD milliseconds) = 0;
    // Releases the handle that Create gave.
    virtual void Close(ProcessHandle process) = 0;
};

}  // namespace platform
