#include "platform/win32/win32_seams.h"

#include <algorithm>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace platform {

std::wstring Win32CommandLine::Get() { return ::GetCommandLineW(); }

bool Win32CommandLine::Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    if (argv == nullptr) return false;
    arguments.assign(argv, argv + count);
    ::LocalFree(argv);
    return true;
}

int Win32CommandLine::CompareNoCase(const std::wstring& a, const std::wstring& b) {
    return ::StrCmpIW(a.c_str(), b.c_str());
}

DWORD Win32ModuleFile::GetFileName(wchar_t* buffer, DWORD size) {
    return ::GetModuleFileNameW(nullptr, buffer, size);
}

BOOL Win32ModuleFile::RemoveFileSpec(wchar_t* path) { return ::PathRemoveFileSpecW(path); }

DWORD Win32FileSystem::GetAttributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

namespace {

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace

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

DWORD Win32FileSystem::WriteAndFlush(const std::wstring& path, const std::string& contents) {
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
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

// The agent's store: a protected list (nothing inherited from ProgramData, which lets every
// user create files) granting full control to SYSTEM and the Administrators, read and list
// to the local Users, and read only to the owner rights (S-1-3-4), so that a user who
// created the folder keeps no right to change its list. Folders and files below inherit it.
const wchar_t kAgentStoreRights[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;S-1-3-4)";

DWORD Win32FileSystem::RestrictToAdministrators(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAgentStoreRights, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    DWORD result = ERROR_INVALID_SECURITY_DESCR;
    if (::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present) {
        std::wstring name = path;
        result = ::SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, dacl, nullptr);
    }
    ::LocalFree(descriptor);
    return result;
}

DWORD Win32Clock::TickCount() { return ::GetTickCount(); }

void Win32Clock::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
