// Seam: the standard Windows folders where settings live.
#pragma once

#include <string>

namespace platform {

class KnownFolders {
public:
    virtual ~KnownFolders() = default;
    // The machine-wide application data folder (FOLDERID_ProgramData), as the system gives
    // it (usually without a trailing backslash); empty when the system cannot tell.
    virtual std::wstring ProgramData() = 0;
    // The current user's roaming application data folder (FOLDERID_RoamingAppData); empty
    // when the system cannot tell.
    virtual std::wstring UserAppData() = 0;
};

}  // namespace platform
