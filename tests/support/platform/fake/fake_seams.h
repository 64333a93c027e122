// Fakes of the simple seams: each plays back what the test set and records what the code asked.
#pragma once

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/module_file.h"

namespace platform {

// The process's command line as a test sets it: the system splits it under Wine (nothing native reads it).
struct FakeCommandLine {
    std::wstring line = L"SetupClient.exe";
};

// Like the system: the path cut to the buffer, zero-terminated only when it fits.
struct FakeModuleFile : ModuleFile {
    std::wstring path = L"C:\\Program Files\\Corvex\\SetupClient.exe";
    DWORD lastSize = 0;

    DWORD GetFileName(wchar_t* buffer, DWORD size) override {
        const DWORD copied = static_cast<DWORD>(path.copy(buffer, size));  // min(size, path.size()) characters
        if (copied < size) buffer[copied] = L'\0';
        return lastSize = size, copied;
    }
    // Cuts at the last backslash, keeping a drive root's ("C:\x.exe" gives "C:\").
    BOOL RemoveFileSpec(wchar_t* path) override {
        wchar_t* cut = std::wcsrchr(path, L'\\');
        return cut == nullptr ? FALSE : (cut[cut == path + 2 && path[1] == L':' ? 1 : 0] = L'\0', TRUE);
    }
};

// A virtual clock: Sleep only moves the tick counter forward.
struct FakeClock : Clock {
    DWORD now = 1000;
    std::vector<DWORD> sleeps;

    DWORD TickCount() override { return now; }
    std::function<void()> onSleep;  // called at each pause, as time passes
    void Sleep(DWORD milliseconds) override {
        sleeps.push_back(milliseconds), now += milliseconds;
        if (onSleep) onSleep();
    }
};

}  // namespace platform
