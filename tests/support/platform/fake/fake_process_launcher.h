// A process launcher for tests: records every start, wait and close, and plays back the
// start's outcome that a test chose. Handles are counters; a started process ends at once.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace platform {

struct FakeProcessLauncher : ProcessLauncher {
    struct Start {
        std::wstring commandLine;  // the text of the writable buffer when the call came
        BOOL inheritHandles;
        DWORD creationFlags;
    };

    DWORD startError = 0;                       // 0: the program starts; else the start fails with it
    std::function<void(const Start&)> onStart;  // runs at each start, before the outcome
    std::function<void()> onWait;               // runs at each wait for a started process
    std::vector<Start> starts;
    std::vector<DWORD> waitTimeouts;  // one per wait, for a started process or not
    int openHandles = 0;
    std::set<ProcessHandle> closed;

    ProcessStart Create(const std::wstring&, wchar_t* commandLine, BOOL inherit, DWORD flags) override {
        starts.push_back(Start{commandLine != nullptr ? commandLine : L"(read-only)", inherit, flags});
        if (onStart) onStart(starts.back());
        openHandles += startError == 0 ? 1 : 0;
        return ProcessStart{startError == 0, startError, startError == 0 ? 0x100 + starts.size() : 0};
    }
    DWORD Wait(ProcessHandle process, DWORD milliseconds) override {
        waitTimeouts.push_back(milliseconds);
        // WAIT_FAILED for a handle never given out or closed already.
        if (process <= 0x100 || process > 0x100 + starts.size() || closed.count(process) != 0) return 0xFFFFFFFFu;
        if (onWait) onWait();
        return 0;  // WAIT_OBJECT_0
    }
    void Close(ProcessHandle process) override { --openHandles, closed.insert(process); }
};

}  // namespace platform
