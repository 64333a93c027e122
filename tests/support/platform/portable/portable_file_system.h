// The file system seam over POSIX, for the native build: tests run the parameters library
// against a real temporary folder with it. Backslashes become slashes, names are UTF-8, and a
// symbolic link stands for a Windows link (reparse point). Rights are not imitated: files are
// rw-r--r--, folders rwxr-xr-x; the administrators are root and the user running the tests,
// and others may change a folder that its group or others may write. It records the calls,
// and fails those a test names with the chosen error code without doing them (a failing
// write first writes half of the bytes, as a full disk would).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace platform {

class PortableFileSystem : public FileSystem {
public:
    // "read", "write" (or "write protected": with the store's rights), "replace" (the target),
    // "remove", "create folders", "create store folder", "restrict", then a blank and the path.
    std::vector<std::wstring> calls;
    // By operation ("write" for both kinds): the error, and the calls of that operation that it
    // hits (1 the first, ...; 0 every call; -2 the second and every later one).
    std::map<std::wstring, std::pair<DWORD, int>> faults;

    static std::string NativePath(const std::wstring& path) {
        std::string native = WideToUtf8Lossy(path);
        return std::replace(native.begin(), native.end(), '\\', '/'), native;
    }
    // As Windows gives them: a file is marked for archiving (0x20), a link to a folder is a folder too.
    DWORD GetAttributes(const std::wstring& path) override {
        struct stat info {};
        if (::lstat(NativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
        const DWORD link = S_ISLNK(info.st_mode) ? FILE_ATTRIBUTE_REPARSE_POINT : 0, archive = 0x20,
                    readOnly = info.st_mode & 0222 ? 0 : FILE_ATTRIBUTE_READONLY;  // as Wine tells it
        return link | readOnly | (std::filesystem::is_directory(NativePath(path)) ? FILE_ATTRIBUTE_DIRECTORY : archive);
    }
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override {
        std::error_code error;
        const auto size = std::filesystem::file_size(NativePath(path), error);  // a folder is an error
        if (const DWORD fault = Hit(L"read", path)) return fault;
        if (error || size > maxBytes) return error ? Code(error.value()) : ERROR_FILE_TOO_LARGE_FOR_READ;
        std::ifstream in(NativePath(path), std::ios::binary);
        return contents.assign(std::istreambuf_iterator<char>(in), {}), ERROR_SUCCESS;
    }
    DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) override {
        const DWORD fault = Hit(storeRights ? L"write protected" : L"write", path);
        std::FILE* file = std::fopen(NativePath(path).c_str(), "wbx");  // never opens what is there
        if (file == nullptr) return Code(errno);
        const std::size_t size = fault != 0 ? contents.size() / 2 : contents.size();
        const bool written = std::fwrite(contents.data(), 1, size, file) == size;
        return std::fclose(file) != 0 || !written ? Code(errno) : fault;
    }
    DWORD Replace(const std::wstring& source, const std::wstring& target) override {
        if (const DWORD fault = Hit(L"replace", target)) return fault;
        return Result(std::rename(NativePath(source).c_str(), NativePath(target).c_str()));
    }
    // Recorded only: a remove is never failed.
    DWORD Remove(const std::wstring& p) override { return Hit(L"remove", p), Result(::unlink(NativePath(p).c_str())); }
    DWORD CreateFolders(const std::wstring& path) override {
        std::error_code error;
        if (const DWORD fault = Hit(L"create folders", path)) return fault;
        return std::filesystem::create_directories(NativePath(path), error), Code(error.value());
    }
    DWORD CreateStoreFolder(const std::wstring& path) override {
        if (const DWORD fault = Hit(L"create store folder", path)) return fault;
        return Result(::mkdir(NativePath(path).c_str(), 0755));
    }
    DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) override {
        struct stat info {};
        if (::lstat(NativePath(path).c_str(), &info) != 0) return Code(errno);
        const bool administrator = info.st_uid == 0 || info.st_uid == ::geteuid();
        // The group's write stands for rights passed on by the folder above, the others' for its own.
        const bool open = (info.st_mode & 022) != 0, own = (info.st_mode & 002) != 0;
        return ownership = {administrator, open, own, std::to_wstring(info.st_uid)}, ERROR_SUCCESS;
    }
    DWORD RestrictToAdministrators(const std::wstring& path) override {  // the store never passes a link here
        if (const DWORD fault = Hit(L"restrict", path)) return fault;
        return Result(::chmod(NativePath(path).c_str(), 0755));
    }
    DWORD ListFolder(const std::wstring& path, std::vector<std::wstring>& names) override {
        std::error_code error;
        names.clear();
        for (const auto& entry : std::filesystem::directory_iterator(NativePath(path), error))
            names.push_back(entry.path().filename().wstring());
        return Code(error.value());
    }

private:
    // Records the call; the error of the fault that hits it, else 0.
    DWORD Hit(const std::wstring& operation, const std::wstring& path) {
        calls.push_back(operation + L" " + path);
        const auto fault = faults.find(operation.substr(0, operation.find(L" protected")));
        if (fault == faults.end()) return ERROR_SUCCESS;
        const int count = std::count_if(calls.begin(), calls.end(), [&](auto& c) { return c.find(fault->first) == 0; });
        const int at = fault->second.second;
        return at == 0 || at == count || (at < 0 && count >= -at) ? fault->second.first : ERROR_SUCCESS;
    }
    // errno as the Windows error code that the seam speaks.
    static DWORD Code(int error) {
        if (error == ENOENT || error == ENOTDIR) return ERROR_FILE_NOT_FOUND;
        return error == 0 ? ERROR_SUCCESS : error == EEXIST ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED;
    }
    static DWORD Result(int returned) { return returned == 0 ? ERROR_SUCCESS : Code(errno); }
};

}  // namespace platform
