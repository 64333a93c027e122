// A file system that passes every call to a real one, records it, and fails the calls a test
// names: then it answers with the chosen error code without doing the operation (a failing
// write first writes half of the bytes, as a full disk would).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class FaultyFileSystem : public FileSystem {
public:
    // The error, and the call of that operation it hits (1 the first, ...; 0 every call).
    struct Fault {
        DWORD error = ERROR_SUCCESS;
        int atCall = 0;
    };
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    Fault readFault, writeFault, replaceFault, restrictFault;
    // "read", "write" (or "write protected": with the store's rights), "replace" (the target),
    // "remove", "create folders", "create store folder", "restrict", then a blank and the path.
    std::vector<std::wstring> calls;

    DWORD GetAttributes(const std::wstring& path) override { return real_.GetAttributes(path); }
    DWORD ReadWholeFile(const std::wstring& path, std::size_t max, std::string& contents) override {
        return Hits(readFault, L"read ", path) ? readFault.error : real_.ReadWholeFile(path, max, contents);
    }
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool rights) override {
        if (!Hits(writeFault, rights ? L"write protected " : L"write ", path)) return real_.WriteNewFile(path, contents, rights);
        real_.WriteNewFile(path, contents.substr(0, contents.size() / 2), rights);
        return writeFault.error;
    }
    DWORD Replace(const std::wstring& source, const std::wstring& target) override {
        return Hits(replaceFault, L"replace ", target) ? replaceFault.error : real_.Replace(source, target);
    }
    DWORD Remove(const std::wstring& path) override { return Log(L"remove ", path), real_.Remove(path); }
    DWORD CreateFolders(const std::wstring& path) override { return Log(L"create folders ", path), real_.CreateFolders(path); }
    DWORD CreateStoreFolder(const std::wstring& path) override {
        return Log(L"create store folder ", path), real_.CreateStoreFolder(path);
    }
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override {
        return real_.GetOwnership(path, ownership);
    }
    DWORD RestrictToAdministrators(const std::wstring& path) override {
        return Hits(restrictFault, L"restrict ", path) ? restrictFault.error : real_.RestrictToAdministrators(path);
    }

private:
    void Log(const wchar_t* operation, const std::wstring& path) { calls.push_back(operation + path); }
    bool Hits(const Fault& fault, const std::wstring& operation, const std::wstring& path) {
        Log(operation.c_str(), path);
        const auto count = std::count_if(calls.begin(), calls.end(),
                                         [&](const std::wstring& c) { return c.compare(0, operation.size(), operation) == 0; });
        return fault.error != ERROR_SUCCESS && (fault.atCall == 0 || fault.atCall == count);
    }

    FileSystem& real_;
};

}  // namespace platform
