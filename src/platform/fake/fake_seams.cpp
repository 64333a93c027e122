#include "platform/fake/fake_seams.h"

#include <algorithm>
#include <cwctype>

namespace platform {

DWORD FakeModuleFile::GetFileName(wchar_t* buffer, DWORD size) {
    lastSize = size;
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(path.size(), size));
    std::copy(path.begin(), path.begin() + copied, buffer);
    // Like the system: zero-terminated when it fits, cut (and unterminated on XP) when not.
    if (copied < size) buffer[copied] = L'\0';
    return copied;
}

DWORD FakeFileSystem::GetAttributes(const std::wstring& path) {
    queried.push_back(path);
    auto lower = [](std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
        return s;
    };
    for (const auto& e : existing) {
        if (lower(e) == lower(path)) return FILE_ATTRIBUTE_NORMAL;
    }
    if (files.count(path) != 0) return FILE_ATTRIBUTE_NORMAL;
    return INVALID_FILE_ATTRIBUTES;
}

DWORD FakeFileSystem::ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) {
    const auto found = files.find(path);
    if (found == files.end()) return ERROR_FILE_NOT_FOUND;
    if (found->second.size() > maxBytes) return ERROR_FILE_TOO_LARGE_FOR_READ;
    contents = found->second;
    return ERROR_SUCCESS;
}

DWORD FakeFileSystem::WriteNewFile(const std::wstring& path, const std::string& contents, bool) {
    if (files.count(path) != 0) return ERROR_FILE_EXISTS;
    files[path] = contents;
    return ERROR_SUCCESS;
}

DWORD FakeFileSystem::Replace(const std::wstring& source, const std::wstring& target) {
    const auto found = files.find(source);
    if (found == files.end()) return ERROR_FILE_NOT_FOUND;
    files[target] = found->second;
    files.erase(source);
    return ERROR_SUCCESS;
}

DWORD FakeFileSystem::Remove(const std::wstring& path) {
    return files.erase(path) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

DWORD FakeFileSystem::CreateFolders(const std::wstring&) { return ERROR_SUCCESS; }

DWORD FakeFileSystem::CreateStoreFolder(const std::wstring&) { return ERROR_SUCCESS; }

DWORD FakeFileSystem::GetOwnership(const std::wstring&, FolderOwnership& ownership) {
    ownership = FolderOwnership{true, false, L"BUILTIN\\Administrators"};
    return ERROR_SUCCESS;
}

DWORD FakeFileSystem::RestrictToAdministrators(const std::wstring& path) {
    restricted.push_back(path);
    return ERROR_SUCCESS;
}

}  // namespace platform
