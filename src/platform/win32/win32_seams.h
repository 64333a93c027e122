// The real implementations of the simple seams, on Win32.
#pragma once

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/machine_name.h"
#include "platform/module_file.h"

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

class Win32FileSystem : public FileSystem {
public:
    DWORD GetAttributes(const std::wstring& path) override;
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override;
    DWORD WriteAndFlush(const std::wstring& path, const std::string& contents) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    DWORD RestrictToAdministrators(const std::wstring& path) override;
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
