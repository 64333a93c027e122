// Seam: what the configurator and the parameters library ask of the file system.
//
// Paths are Windows paths (backslash separators). Every operation except GetAttributes
// answers with a system error code: ERROR_SUCCESS (0) when it worked, otherwise the
// code that the system gave (ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND when nothing
// exists at the path or in its folder).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace platform {

// Who owns a folder and who may change it.
struct FolderOwnership {
    // The owner is the system, the Administrators, the system's installer or the
    // administrator running this program.
    bool ownerIsAdministrator = false;
    // Someone else may add, remove or rename entries in it, or change its rights or owner.
    bool othersMayChange = false;
    // The same through entries of its own, not those its folder passes on (which the folder's
    // protection replaces).
    bool othersMayChangeItsOwn = false;
    // The owner for a message: "DOMAIN\name", or the SID when it has no name.
    std::wstring owner;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // GetFileAttributesW: INVALID_FILE_ATTRIBUTES when nothing can be found at the path. A
    // link (symbolic link, junction) is not followed: it reports FILE_ATTRIBUTE_REPARSE_POINT.
    virtual DWORD GetAttributes(const std::wstring& path) = 0;

    // Reads the whole file into `contents` (bytes as stored). A file larger than
    // `maxBytes` is not read: the answer is then ERROR_FILE_TOO_LARGE_FOR_READ.
    virtual DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) = 0;

    // Creates a new file, writes `contents`, flushes it to the disk and closes it. Anything
    // already at the path (a file, a folder, a link) is never opened: the answer is then
    // ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS. `storeRights`: the file is created with the
    // agent store's rights (see RestrictToAdministrators); otherwise it inherits its folder's.
    // After a failure the file may exist with part of the contents; the caller removes it.
    virtual DWORD WriteNewFile(const std::wstring& path, const std::string& contents, bool storeRights) = 0;

    // Puts `source` in the place of `target` in one step, replacing an existing target file
    // (or a link there, which is not followed), and waits until the change is on the disk.
    // Both are in the same folder. After a failure the target is as it was.
    virtual DWORD Replace(const std::wstring& source, const std::wstring& target) = 0;

    // Deletes a file (a link itself, not what it points to).
    virtual DWORD Remove(const std::wstring& path) = 0;

    // Creates a folder and every missing folder above it, each inheriting its parent's
    // rights; an existing folder is fine.
    virtual DWORD CreateFolders(const std::wstring& path) = 0;

    // Creates one folder with the agent store's rights given at its creation. Its parent must
    // exist; anything already at the path gives ERROR_ALREADY_EXISTS.
    virtual DWORD CreateStoreFolder(const std::wstring& path) = 0;

    // Reads a folder's owner and access list (a link there is not followed).
    virtual DWORD GetOwnership(const std::wstring& path, FolderOwnership& ownership) = 0;

    // Gives an existing folder the rights of the agent's own settings store, in place of
    // whatever it had or inherited: the system and the administrators may do everything,
    // other users (and the folder's owner, unless an administrator) may only read. Files
    // and folders in it inherit them, those already there too (the system carries inherited
    // rights down), unless they have protected lists of their own. A link at the path is not
    // followed (ERROR_ACCESS_DENIED).
    virtual DWORD RestrictToAdministrators(const std::wstring& path) = 0;

    // The names of what a folder holds (files, folders, links), without "." and "..".
    virtual DWORD ListFolder(const std::wstring& path, std::vector<std::wstring>& names) = 0;
};

// The answer of ReadWholeFile for a file above its size limit (ERROR_FILE_TOO_LARGE).
constexpr DWORD ERROR_FILE_TOO_LARGE_FOR_READ = 223;

}  // namespace platform
