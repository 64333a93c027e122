// The known folders seam on Win32 (SHGetFolderPathW).
#pragma once

#include "platform/known_folders.h"

namespace platform {

class Win32KnownFolders : public KnownFolders {
public:
    std::wstring ProgramData() override;
    std::wstring UserAppData() override;
};

}  // namespace platform
