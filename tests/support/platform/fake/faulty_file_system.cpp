#include "platform/fake/faulty_file_system.h"

namespace platform {

bool FaultyFileSystem::Hits(const Fault& fault, const wchar_t* operation, const std::wstring& path) {
    const std::wstring prefix = std::wstring(operation) + L" ";
    calls.push_back(prefix + path);
    if (fault.error == ERROR_SUCCESS) return false;
    if (fault.atCall == 0) return true;
    int count = 0;
    for (const auto& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) ++count;
    }
    return count == fault.atCall;
}

DWORD FaultyFileSystem::ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) {
    if (Hits(readFault, L"read", path)) return readFault.error;
    return real_.ReadWholeFile(path, maxBytes, contents);
}

DWORD FaultyFileSystem::WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) {
    if (Hits(writeFault, storeRights ? L"write protected" : L"write", path)) {
        real_.WriteNewFile(path, contents.substr(0, contents.size() / 2), storeRights);
        return writeFault.error;
    }
    return real_.WriteNewFile(path, contents, storeRights);
}

DWORD FaultyFileSystem::Replace(const std::wstring& source, const std::wstring& target) {
    if (Hits(replaceFault, L"replace", target)) return replaceFault.error;
    return real_.Replace(source, target);
}

DWORD FaultyFileSystem::Remove(const std::wstring& path) {
    if (Hits(removeFault, L"remove", path)) return removeFault.error;
    return real_.Remove(path);
}

DWORD FaultyFileSystem::CreateFolders(const std::wstring& path) {
    if (Hits(createFoldersFault, L"create folders", path)) return createFoldersFault.error;
    return real_.CreateFolders(path);
}

DWORD FaultyFileSystem::CreateStoreFolder(const std::wstring& path) {
    if (Hits(createFoldersFault, L"create store folder", path)) return createFoldersFault.error;
    return real_.CreateStoreFolder(path);
}

DWORD FaultyFileSystem::GetOwnership(const std::wstring& path, FolderOwnership& ownership) {
    if (Hits(ownershipFault, L"ownership", path)) return ownershipFault.error;
    return real_.GetOwnership(path, ownership);
}

DWORD FaultyFileSystem::RestrictToAdministrators(const std::wstring& path) {
    if (Hits(restrictFault, L"restrict", path)) return restrictFault.error;
    return real_.RestrictToAdministrators(path);
}

}  // namespace platform
