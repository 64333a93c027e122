// The real implementations of the simple seams, on Win32.
#pragma once

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/machine_name.h"
#include "platform/module_file.h"
#include "platform/win32/win32_file_system.h"  // Win32FileSystem, installed with the others

namespace platform {

class Win32CommandLine : public CommandLine {
public:
    std::wstring Get() override;
    bool Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) override;
    int CompareNoCase(const std::wstring& a, const std::wstring& b) override;
};

class Win32ModuleFile : public ModuleFile {
public:
    DWORD GetFileName(wchar_t* buffer, DWORD size) override;
    BOOL RemoveFileSpec(wchar_t* path) override;
};

class Win32Clock : public Clock {
public:
    DWORD TickCount() override;
    void Sleep(DWORD milliseconds) override;
};

class Win32MachineName : public MachineName {
public:
    std::wstring ComputerName() override;
};

// Installs the Win32 implementation of every seam; the program does this first thing.
void InstallWin32Seams();

}  // namespace platform
