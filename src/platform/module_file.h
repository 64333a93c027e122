// Seam: the path of the running executable and the shell's path helpers.
#pragma once

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

// The same trimming, portable: used by the fake and checked against the real one under Wine.
BOOL RemoveFileSpecPortable(wchar_t* path);

}  // namespace platform
