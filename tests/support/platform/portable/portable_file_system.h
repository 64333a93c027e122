// The file system seam over POSIX, for the native build: tests run the parameters library
// against a real temporary folder with it. Backslashes become slashes, names are UTF-8, and a
// symbolic link stands for a Windows link (reparse point). Rights are not imitated: files are
// rw-r--r--, folders rwxr-xr-x; the administrators are root and the user running the tests,
// and others may change a folder that its group or others may write. It records the calls
// that change something, and fails those a test names with the chosen error code without
// doing them (a failing write first writes half of the bytes, as a full disk would).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace platform {

class PortableFileSystem : public FileSystem {
public:
    // The error, and the call of that operation it hits (1 the first, ...; 0 every call).
    struct Fault {
        DWORD error = ERROR_SUCCESS;
        int atCall = 0;
    };
    Fault readFault, writeFault, replaceFault, restrictFault;
    // "read", "write" (or "write protected": with the store's rights), "replace" (the target),
    // "remove", "create folders", "create store folder", "restrict", then a blank and the path.
    std::vector<std::wstring> calls;

    static std::string NativePath(const std::wstring& path) {
        std::string native = WideToUtf8Lossy(path);
        std::replace(native.begin(), native.end(), '\\', '/');
        return native;
    }
    DWORD GetAttributes(const std::wstring& path) override {
        struct stat info {};
        if (::lstat(NativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
        if (S_ISLNK(info.st_mode)) return FILE_ATTRIBUTE_REPARSE_POINT;
        return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    }
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override {
        if (Hits(readFault, L"read ", path)) return readFault.error;
        const int fd = ::open(NativePath(path).c_str(), O_RDONLY);
        if (fd < 0) return Error();
        struct stat info {};
        DWORD code = ::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        if (code == ERROR_SUCCESS && static_cast<std::size_t>(info.st_size) > maxBytes)
            code = ERROR_FILE_TOO_LARGE_FOR_READ;
        std::string bytes(code == ERROR_SUCCESS ? static_cast<std::size_t>(info.st_size) : 0, '\0');
        if (::read(fd, &bytes[0], bytes.size()) != static_cast<ssize_t>(bytes.size()) && code == ERROR_SUCCESS)
            code = Error();
        ::close(fd);
        if (code == ERROR_SUCCESS) contents.swap(bytes);
        return code;
    }
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override {
        const bool fails = Hits(writeFault, storeRights ? L"write protected " : L"write ", path);
        const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd < 0) return Error();
        const std::size_t size = fails ? contents.size() / 2 : contents.size();
        const DWORD code = ::write(fd, contents.data(), size) == static_cast<ssize_t>(size) ? ERROR_SUCCESS : Error();
        ::close(fd);
        return fails ? writeFault.error : code;
    }
    DWORD Replace(const std::wstring& source, const std::wstring& target) override {
        if (Hits(replaceFault, L"replace ", target)) return replaceFault.error;
        return Result(std::rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0);
    }
    DWORD Remove(const std::wstring& path) override {
        return Hits(Fault{}, L"remove ", path), Result(::unlink(NativePath(path).c_str()) == 0);
    }
    DWORD CreateFolders(const std::wstring& path) override {
        Hits(Fault{}, L"create folders ", path);
        std::error_code error;
        std::filesystem::create_directories(NativePath(path), error);
        return error ? ERROR_PATH_NOT_FOUND : ERROR_SUCCESS;  // mostly a file where a folder should be
    }
    DWORD CreateStoreFolder(const std::wstring& path) override {
        return Hits(Fault{}, L"create store folder ", path), Result(::mkdir(NativePath(path).c_str(), 0755) == 0);
    }
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override {
        struct stat info {};
        if (::lstat(NativePath(path).c_str(), &info) != 0) return Error();
        ownership.ownerIsAdministrator = info.st_uid == 0 || info.st_uid == ::geteuid();
        ownership.othersMayChange = (info.st_mode & 022) != 0;
        ownership.owner = std::to_wstring(info.st_uid);
        return ERROR_SUCCESS;
    }
    DWORD RestrictToAdministrators(const std::wstring& path) override {
        if (Hits(restrictFault, L"restrict ", path)) return restrictFault.error;
        const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (fd < 0) return Error();
        const DWORD code = Result(::fchmod(fd, 0755) == 0);
        ::close(fd);
        return code;
    }

private:
    // Records the call; true when the fault hits it.
    bool Hits(const Fault& fault, const std::wstring& operation, const std::wstring& path) {
        calls.push_back(operation + path);
        const auto count = std::count_if(calls.begin(), calls.end(), [&](const std::wstring& c) {
            return c.compare(0, operation.size(), operation) == 0;
        });
        return fault.error != ERROR_SUCCESS && (fault.atCall == 0 || fault.atCall == count);
    }
    // errno as the Windows error code that the seam speaks.
    static DWORD Error() {
        switch (errno) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOSPC: return 112;              // ERROR_DISK_FULL
        default: return ERROR_ACCESS_DENIED;  // EACCES, EPERM, ELOOP (a link) and the rest
        }
    }
    static DWORD Result(bool ok) { return ok ? ERROR_SUCCESS : Error(); }
};

// A private folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() : path_((std::filesystem::temp_directory_path() / "corvex-test-XXXXXX").string()) {
        if (::mkdtemp(&path_[0]) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::wstring Wide() const { return std::wstring(path_.begin(), path_.end()); }  // ASCII
    const std::string& Native() const { return path_; }

private:
    std::string path_;
};

}  // namespace platform
