// A file system for tests that passes every call to a real one, except the calls that a
// test has told it to fail: then it answers with the chosen error code without doing the
// operation (a failing write first writes half of the bytes, as a full disk would).
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class FaultyFileSystem : public FileSystem {
public:
    // One planned failure: the error code, and the call it hits (1 for the first call of that
    // operation, 2 for the second, ...; 0 for every call).
    struct Fault {
        DWORD error = ERROR_SUCCESS;
        int atCall = 0;
    };

    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    Fault readFault, writeFault, replaceFault, removeFault, createFoldersFault, restrictFault, ownershipFault;
    // Calls made so far, in order: "read", "write", "replace", "remove", "create folders",
    // "create store folder", "ownership", "restrict", each followed by a blank and the path
    // (for replace, the target). A write with the store's rights is "write protected".
    // (Create folders and create store folder share createFoldersFault.)
    std::vector<std::wstring> calls;

    DWORD GetAttributes(const std::wstring& path) override { return real_.GetAttributes(path); }
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override;
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    DWORD CreateStoreFolder(const std::wstring& path) override;
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override;
    DWORD RestrictToAdministrators(const std::wstring& path) override;

private:
    // Counts the call and tells whether the fault hits it.
    bool Hits(const Fault& fault, const wchar_t* operation, const std::wstring& path);

    FileSystem& real_;
};

}  // namespace platform
