// Fakes of the simple seams for unit tests: each plays back what the test set and records
// what the code asked.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/module_file.h"

namespace platform {

class FakeCommandLine : public CommandLine {
public:
    std::wstring line = L"SetupClient.exe";
    bool splitFails = false;
    int splitCalls = 0;

    std::wstring Get() override { return line; }
    bool Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) override {
        ++splitCalls;
        if (splitFails) return false;
        arguments = SplitCommandLine(commandLine);
        return true;
    }
    int CompareNoCase(const std::wstring& a, const std::wstring& b) override { return CompareNoCasePortable(a, b); }
};

class FakeModuleFile : public ModuleFile {
public:
    std::wstring path = L"C:\\Program Files\\Corvex\\SetupClient.exe";
    DWORD lastSize = 0;

    DWORD GetFileName(wchar_t* buffer, DWORD size) override;
    BOOL RemoveFileSpec(wchar_t* path) override { return RemoveFileSpecPortable(path); }
};

class FakeFileSystem : public FileSystem {
public:
    std::set<std::wstring> existing;  // compared without regard to case
    std::vector<std::wstring> queried;
    std::map<std::wstring, std::string> files;  // in-memory files by exact path

    DWORD GetAttributes(const std::wstring& path) override;
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override;
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    DWORD CreateStoreFolder(const std::wstring& path) override;
    // Every folder belongs to the administrators and nobody else may change it.
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override;
    // Records the folder in `restricted`.
    DWORD RestrictToAdministrators(const std::wstring& path) override;
    std::vector<std::wstring> restricted;
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
