// Where the configurator keeps per-user files, and the product's folder below the
// standard application data folders.
#pragma once

#include <string>

class ComputerInfo {
public:
    ComputerInfo() = delete;
    // The current user's settings folder: the roaming application data folder followed by
    // GetAppDirSuffix(), ending with a backslash. Throws std::runtime_error when the system
    // cannot tell the user's application data folder.
    static const std::wstring& GetSettingsDirForUser();
    // The product's folder below an application data folder: "Quentara\Corvex Workstation\",
    // ending with a backslash.
    static const std::wstring& GetAppDirSuffix();
};
