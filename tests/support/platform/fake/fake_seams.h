// Fakes of the simple seams: each plays back what the test set and records what the code asked.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/machine_name.h"
#include "platform/module_file.h"

namespace platform {

class FakeCommandLine : public CommandLine {
public:
    std::wstring line = L"SetupClient.exe";
    bool splitFails = false;

    std::wstring Get() override { return line; }
    bool Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) override {
        if (!splitFails) arguments = SplitCommandLine(commandLine);
        return !splitFails;
    }
    int CompareNoCase(const std::wstring& a, const std::wstring& b) override { return CompareNoCasePortable(a, b); }
};

// Like the system: the path cut to the buffer, zero-terminated only when it fits.
class FakeModuleFile : public ModuleFile {
public:
    std::wstring path = L"C:\\Program Files\\Corvex\\SetupClient.exe";
    DWORD lastSize = 0;

    DWORD GetFileName(wchar_t* buffer, DWORD size) override {
        lastSize = size;
        const DWORD copied = static_cast<DWORD>(std::min<size_t>(path.size(), size));
        std::copy(path.begin(), path.begin() + copied, buffer);
        if (copied < size) buffer[copied] = L'\0';
        return copied;
    }
    BOOL RemoveFileSpec(wchar_t* path) override { return RemoveFileSpecPortable(path); }
};

class FakeMachineName : public MachineName {
public:
    std::wstring name = L"WS-0142";
    std::wstring ComputerName() override { return name; }
};

// A virtual clock: Sleep only moves the tick counter forward.
class FakeClock : public Clock {
public:
    DWORD now = 1000;
    std::vector<DWORD> sleeps;

    DWORD TickCount() override { return now; }
    void Sleep(DWORD milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
};

}  // namespace platform
