// The file system seam over POSIX, for the native build: unit tests run the parameters
// library against a real temporary folder with it. Backslashes in the Windows-style paths
// that the library builds become slashes; names are stored as UTF-8. A symbolic link
// stands for a Windows link (reparse point).
#pragma once

#include <string>

#include "platform/file_system.h"

namespace platform {

class PortableFileSystem : public FileSystem {
public:
    DWORD GetAttributes(const std::wstring& path) override;
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override;
    // The access lists are not imitated: every new file is rw-r--r--.
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    // rwxr-xr-x: the owner changes, everybody else reads.
    DWORD CreateStoreFolder(const std::wstring& path) override;
    // The administrators are root and the user running the tests; others may change the
    // folder when its group or others may write.
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override;
    DWORD RestrictToAdministrators(const std::wstring& path) override;

    // The native path for a Windows-style one.
    static std::string NativePath(const std::wstring& path);
};

}  // namespace platform
