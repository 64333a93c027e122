// Seam: what the configurator asks of the file system directly.
#pragma once

#include <string>

#include "platform/wintypes.h"

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // GetFileAttributesW: INVALID_FILE_ATTRIBUTES when nothing can be found at the path.
    virtual DWORD GetAttributes(const std::wstring& path) = 0;
};

}  // namespace platform
