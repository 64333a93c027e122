// A process launcher for unit tests: records every start, wait and close, and plays back
// the start's outcome that a test chose. Handles are counters.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace platform {

class FakeProcessLauncher : public ProcessLauncher {
public:
    struct Start {
        std::wstring applicationName;
        std::wstring commandLine;  // the text of the writable buffer when the call came
        bool writable;             // a non-null buffer was passed
        BOOL inheritHandles;
        DWORD creationFlags;
    };

    // The outcome of the next starts: 0 starts the program, any other value fails with it.
    DWORD startError = 0;
    // Runs at each start, before the outcome is given (a test can look at files then).
    std::function<void(const Start&)> onStart;

    std::vector<Start> starts;
    std::vector<ProcessHandle> waitedFor;
    std::vector<DWORD> waitTimeouts;
    std::vector<ProcessHandle> closed;

    ProcessStart Create(const std::wstring& applicationName, wchar_t* commandLine, BOOL inheritHandles,
                        DWORD creationFlags) override;
    DWORD Wait(ProcessHandle process, DWORD milliseconds) override;
    void Close(ProcessHandle process) override;

    // Handles given out and not closed yet.
    int OpenHandles() const;

private:
    ProcessHandle next_ = 0x100;
    std::vector<ProcessHandle> given_;
};

}  // namespace platform
