// Seam: what the configurator and the parameters library ask of the file system.
//
// Paths are Windows paths (backslash separators). Every operation except GetAttributes
// answers with a system error code: ERROR_SUCCESS (0) when it worked, otherwise the
// code that the system gave (ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND when nothing
// exists at the path or in its folder).
#pragma once

#include <cstddef>
#include <string>

#include "platform/wintypes.h"

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // GetFileAttributesW: INVALID_FILE_ATTRIBUTES when nothing can be found at the path.
    virtual DWORD GetAttributes(const std::wstring& path) = 0;

    // Reads the whole file into `contents` (bytes as stored). A file larger than
    // `maxBytes` is not read: the answer is then ERROR_FILE_TOO_LARGE_FOR_READ.
    virtual DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) = 0;

    // Creates the file, or empties an existing one, writes `contents`, flushes it to the
    // disk and closes it. After a failure the file may exist with part of the contents;
    // the caller removes it.
    virtual DWORD WriteAndFlush(const std::wstring& path, const std::string& contents) = 0;

    // Puts `source` in the place of `target` in one step, replacing an existing target,
    // and waits until the change is on the disk. Both are in the same folder. After a
    // failure the target is as it was.
    virtual DWORD Replace(const std::wstring& source, const std::wstring& target) = 0;

    // Deletes a file.
    virtual DWORD Remove(const std::wstring& path) = 0;

    // Creates a folder and every missing folder above it; an existing folder is fine.
    virtual DWORD CreateFolders(const std::wstring& path) = 0;

    // Gives an existing folder the rights of the agent's own settings store, in place of
    // whatever it had or inherited: the system and the administrators may do everything,
    // other users (and the folder's owner, unless an administrator) may only read. Files
    // created in it afterwards get the same rights.
    virtual DWORD RestrictToAdministrators(const std::wstring& path) = 0;
};

// The answer of ReadWholeFile for a file above its size limit (ERROR_FILE_TOO_LARGE).
constexpr DWORD ERROR_FILE_TOO_LARGE_FOR_READ = 223;

}  // namespace platform
