#include "platform/portable/portable_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/utf8.h"

namespace platform {
namespace {

// errno values as the Windows error codes that the seam speaks.
DWORD FromErrno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP:  // a link where none may be followed
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    default: return 31;  // ERROR_GEN_FAILURE
    }
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes a finished rename durable: the folder's entry is flushed too.
void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string PortableFileSystem::NativePath(const std::wstring& path) {
    std::string native = WideToUtf8Lossy(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

DWORD PortableFileSystem::GetAttributes(const std::wstring& path) {
    struct stat info {};
    if (::lstat(NativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
    if (S_ISLNK(info.st_mode)) return FILE_ATTRIBUTE_REPARSE_POINT;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD PortableFileSystem::ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY);
    if (fd < 0) return FromErrno(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return FromErrno(error);
    }
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return FromErrno(error);
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            ::close(fd);
            return ERROR_FILE_TOO_LARGE_FOR_READ;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    contents.swap(bytes);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::WriteNewFile(const std::wstring& path, const std::string& contents, bool) {
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) return FromErrno(errno);
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t put = ::write(fd, contents.data() + written, contents.size() - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return FromErrno(error);
        }
        written += static_cast<std::size_t>(put);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return FromErrno(error);
    }
    return ::close(fd) == 0 ? ERROR_SUCCESS : FromErrno(errno);
}

DWORD PortableFileSystem::Replace(const std::wstring& source, const std::wstring& target) {
    const std::string to = NativePath(target);
    if (std::rename(NativePath(source).c_str(), to.c_str()) != 0) return FromErrno(errno);
    FlushFolder(ParentOf(to));
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::Remove(const std::wstring& path) {
    return ::unlink(NativePath(path).c_str()) == 0 ? ERROR_SUCCESS : FromErrno(errno);
}

DWORD PortableFileSystem::CreateFolders(const std::wstring& path) {
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    // Each prefix that ends before a slash, then the whole path.
    for (std::size_t at = 1; at <= native.size(); ++at) {
        if (at != native.size() && native[at] != '/') continue;
        const std::string prefix = native.substr(0, at);
        struct stat info {};
        if (::stat(prefix.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) return ERROR_PATH_NOT_FOUND;
            continue;
        }
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::CreateStoreFolder(const std::wstring& path) {
    return ::mkdir(NativePath(path).c_str(), 0755) == 0 ? ERROR_SUCCESS : FromErrno(errno);
}

DWORD PortableFileSystem::GetOwnership(const std::wstring& path, FolderOwnership& ownership) {
    struct stat info {};
    if (::lstat(NativePath(path).c_str(), &info) != 0) return FromErrno(errno);
    ownership.ownerIsAdministrator = info.st_uid == 0 || info.st_uid == ::geteuid();
    ownership.othersMayChange = (info.st_mode & 022) != 0;
    ownership.owner = std::to_wstring(info.st_uid);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::RestrictToAdministrators(const std::wstring& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) return FromErrno(errno);
    const int result = ::fchmod(fd, 0755);
    const int error = errno;
    ::close(fd);
    return result == 0 ? ERROR_SUCCESS : FromErrno(error);
}

}  // namespace platform
