// Seam: the path of the running executable and the shell's path helpers.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/wintypes.h"

namespace platform {

class ModuleFile {
public:
    virtual ~ModuleFile() = default;
    // GetModuleFileNameW for the process's own module: copies at most `size` characters,
    // cutting the path when it is longer, and returns the number copied.
    virtual DWORD GetFileName(wchar_t* buffer, DWORD size) = 0;
    // PathRemoveFileSpecW: cuts the last component and its backslash, keeping a root's
    // backslash ("C:\x.exe" gives "C:\"). TRUE when something was removed.
    virtual BOOL RemoveFileSpec(wchar_t* path) = 0;
};

// The program's own path did not fit the path buffer (or could not be read): the system
// gave a cut path, which names another folder.
class ModulePathError : public std::runtime_error {
public:
    ModulePathError();
    // The message as the dialogs show it.
    std::wstring Text() const;
};

// The folder of the running program, without a trailing backslash (a drive root keeps its
// own: "C:\"), read into a buffer of MAX_PATH + 1 characters of which the system may fill
// MAX_PATH. A path that filled them all was cut: ModulePathError, so that nothing is ever
// run or named from the folder a cut path points at.
std::wstring ReadModuleDirectory(ModuleFile& module);

}  // namespace platform
