#include "platform/fake/fake_process_launcher.h"

#include <algorithm>

namespace platform {

ProcessStart FakeProcessLauncher::Create(const std::wstring& applicationName, wchar_t* commandLine,
                                         BOOL inheritHandles, DWORD creationFlags) {
    Start start{applicationName, commandLine != nullptr ? std::wstring(commandLine) : std::wstring(),
                commandLine != nullptr, inheritHandles, creationFlags};
    starts.push_back(start);
    if (onStart) onStart(start);
    ProcessStart result;
    if (startError != 0) {
        result.lastError = startError;
        return result;
    }
    result.started = true;
    result.process = next_++;
    given_.push_back(result.process);
    return result;
}

DWORD FakeProcessLauncher::Wait(ProcessHandle process, DWORD milliseconds) {
    waitedFor.push_back(process);
    waitTimeouts.push_back(milliseconds);
    // The process ends at once (WAIT_OBJECT_0) when the handle is one of ours, else the wait fails.
    const bool known = std::find(given_.begin(), given_.end(), process) != given_.end();
    return known ? 0u : 0xFFFFFFFFu;
}

void FakeProcessLauncher::Close(ProcessHandle process) { closed.push_back(process); }

int FakeProcessLauncher::OpenHandles() const {
    int open = 0;
    for (ProcessHandle handle : given_) {
        if (std::count(closed.begin(), closed.end(), handle) == 0) ++open;
    }
    return open;
}

}  // namespace platform
