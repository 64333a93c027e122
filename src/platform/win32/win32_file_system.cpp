#include "platform/win32/win32_file_system.h"

#include <algorithm>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

// Memory that the system allocated with LocalAlloc, freed when it goes out of scope.
template <typename T>
class LocalMemory {
public:
    LocalMemory() = default;
    ~LocalMemory() { ::LocalFree(pointer_); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    T get() const { return static_cast<T>(pointer_); }
    void** out() { return &pointer_; }

private:
    void* pointer_ = nullptr;
};

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// The agent store's rights: a protected list (nothing inherited from ProgramData, which lets
// every user create files and folders) granting full control to SYSTEM and the
// Administrators, read and list to the local Users, and read only to the owner rights
// (S-1-3-4), so that an owner who is no administrator keeps no right to change the list.
// Folders pass the list on to what is created in them; files get it without inheritance. A
// folder is created with the Administrators as its owner, which the system refuses (1307) to a
// program run without administrator rights: such a program would otherwise make ProgramData's
// folder its user's, and the store would then refuse it.
const wchar_t kStoreFolderRights[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;S-1-3-4)";
const wchar_t kStoreFileRights[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)(A;;0x1200a9;;;S-1-3-4)";

// The trusted installer's service SID (the owner of the system's own folders).
const wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights that change a folder's contents, its rights or its owner.
const ACCESS_MASK kChangeRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Opens the object at the path itself, never what a link there points to.
HANDLE OpenNoFollow(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Whether the process runs as a member of the Administrators, and its user's SID.
bool CurrentUserIsAdministrator(std::wstring& userSid) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    unique_handle closeToken(token);
    char buffer[256];
    DWORD size = 0;
    if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        LocalMemory<LPWSTR> text;
        if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid,
                                     reinterpret_cast<LPWSTR*>(text.out()))) {
            userSid = text.get();
        }
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) &&
           ::CheckTokenMembership(nullptr, administrators, &member) && member;
}

std::wstring SidText(PSID sid) {
    LocalMemory<LPWSTR> text;
    if (!::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.out()))) return std::wstring();
    return text.get();
}

// The system, the Administrators, the trusted installer, or the administrator running us.
bool IsAdministratorSid(PSID sid) {
    if (::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return true;
    const std::wstring text = SidText(sid);
    if (text == kTrustedInstaller) return true;
    std::wstring self;
    return CurrentUserIsAdministrator(self) && !self.empty() && text == self;
}

std::wstring AccountName(PSID sid) {
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        return domainSize > 0 && domain[0] != L'\0' ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    }
    return SidText(sid);
}

// Whether an access list lets anyone but the administrators (and an administrator owner,
// through the owner rights) change the folder; with `ownOnly`, through entries that were not
// passed on by the folder above. A missing list lets everybody do anything.
bool OthersMayChange(PACL dacl, bool ownerIsAdministrator, bool ownOnly) {
    if (dacl == nullptr) return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry)) return true;
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // applies only to what is created inside
        if (ownOnly && (header->AceFlags & INHERITED_ACE)) continue;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;  // kinds we do not judge: distrust
        const ACCESS_ALLOWED_ACE* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kChangeRights) == 0) continue;
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if (IsAdministratorSid(sid)) continue;
        if (ownerIsAdministrator && ::IsWellKnownSid(sid, WinCreatorOwnerRightsSid)) continue;
        return true;
    }
    return false;
}

}  // namespace

DWORD Win32FileSystem::GetAttributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

DWORD Win32FileSystem::ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) {
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_FILE_NOT_FOUND);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return LastErrorOr(ERROR_READ_FAULT);
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return ERROR_FILE_TOO_LARGE_FOR_READ;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            return LastErrorOr(ERROR_READ_FAULT);
        }
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    contents.swap(bytes);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) {
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (storeRights) {
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kStoreFileRights, SDDL_REVISION_1, descriptor.out(),
                                                                    nullptr)) {
            return LastErrorOr(ERROR_INVALID_PARAMETER);
        }
        attributes.lpSecurityDescriptor = descriptor.get();
    }
    // CREATE_NEW never opens what is there; FILE_FLAG_OPEN_REPARSE_POINT keeps a link at the
    // name from being followed to a file elsewhere.
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, storeRights ? &attributes : nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return LastErrorOr(ERROR_WRITE_FAULT);
    std::size_t done = 0;
    while (done < contents.size()) {
        const std::size_t chunk = std::min<std::size_t>(contents.size() - done, 1u << 20);
        DWORD put = 0;
        if (!::WriteFile(file.get(), contents.data() + done, static_cast<DWORD>(chunk), &put, nullptr) || put == 0) {
            return LastErrorOr(ERROR_WRITE_FAULT);
        }
        done += put;
    }
    if (!::FlushFileBuffers(file.get())) return LastErrorOr(ERROR_WRITE_FAULT);
    return file.close() ? ERROR_SUCCESS : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD Win32FileSystem::Replace(const std::wstring& source, const std::wstring& target) {
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ERROR_SUCCESS;
    }
    return LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD Win32FileSystem::Remove(const std::wstring& path) {
    return ::DeleteFileW(path.c_str()) ? ERROR_SUCCESS : LastErrorOr(ERROR_FILE_NOT_FOUND);
}

DWORD Win32FileSystem::CreateFolders(const std::wstring& path) {
    // Skip the root: "C:\", or "\\server\share\" for a network path.
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        start = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        start = path.find(L'\\', 2);
        if (start != std::wstring::npos) start = path.find(L'\\', start + 1);
        if (start == std::wstring::npos) return ERROR_SUCCESS;
        ++start;
    }
    for (std::size_t at = start; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != L'\\') continue;
        if (at == start) continue;
        const std::wstring prefix = path.substr(0, at);
        if (prefix.back() == L'\\') continue;
        if (::CreateDirectoryW(prefix.c_str(), nullptr)) continue;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return error;
        const DWORD attributes = ::GetFileAttributesW(prefix.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return ERROR_PATH_NOT_FOUND;
        }
    }
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::CreateStoreFolder(const std::wstring& path) {
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kStoreFolderRights, SDDL_REVISION_1, descriptor.out(),
                                                                nullptr)) {
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return ::CreateDirectoryW(path.c_str(), &attributes) ? ERROR_SUCCESS : LastErrorOr(ERROR_ALREADY_EXISTS);
}

DWORD Win32FileSystem::GetOwnership(const std::wstring& path, FolderOwnership& ownership) {
    unique_file folder(OpenNoFollow(path, READ_CONTROL));
    if (!folder) return LastErrorOr(ERROR_FILE_NOT_FOUND);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    const DWORD code =
        ::GetSecurityInfo(folder.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, descriptor.out());
    if (code != ERROR_SUCCESS) return code;
    if (owner == nullptr) return ERROR_INVALID_SECURITY_DESCR;
    ownership.ownerIsAdministrator = IsAdministratorSid(owner);
    ownership.othersMayChange = OthersMayChange(dacl, ownership.ownerIsAdministrator, false);
    ownership.othersMayChangeItsOwn = OthersMayChange(dacl, ownership.ownerIsAdministrator, true);
    ownership.owner = AccountName(owner);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::RestrictToAdministrators(const std::wstring& path) {
    unique_file folder(OpenNoFollow(path, READ_CONTROL | WRITE_DAC));
    if (!folder) return LastErrorOr(ERROR_PATH_NOT_FOUND);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(folder.get(), &information)) return LastErrorOr(ERROR_ACCESS_DENIED);
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ERROR_ACCESS_DENIED;
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ERROR_DIRECTORY;
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kStoreFolderRights, SDDL_REVISION_1, descriptor.out(),
                                                                nullptr)) {
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted) || !present) {
        return ERROR_INVALID_SECURITY_DESCR;
    }
    // Through the handle: the folder that was checked is the one changed. The system carries its
    // inheritable rights down to what lies below.
    return ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                             nullptr);
}

DWORD Win32FileSystem::ListFolder(const std::wstring& path, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found{};
    unique_find search(
        ::FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (!search) return LastErrorOr(ERROR_PATH_NOT_FOUND);
    names.clear();
    do {
        const std::wstring name(found.cFileName);
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(search.get(), &found));
    const DWORD code = ::GetLastError();
    return code == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : code;
}

}  // namespace platform
