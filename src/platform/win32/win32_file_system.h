// The file system seam on Win32.
#pragma once

#include "platform/file_system.h"

namespace platform {

class Win32FileSystem : public FileSystem {
public:
    DWORD GetAttributes(const std::wstring& path) override;
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override;
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    DWORD CreateStoreFolder(const std::wstring& path) override;
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override;
    DWORD RestrictToAdministrators(const std::wstring& path) override;
    DWORD ListFolder(const std::wstring& path, std::vector<std::wstring>& names) override;
};

}  // namespace platform
