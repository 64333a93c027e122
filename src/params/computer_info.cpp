#include "params/computer_info.h"

#include <stdexcept>

#include "params/settings_store.h"
#include "platform/known_folders.h"
#include "platform/platform.h"

const std::wstring& ComputerInfo::GetSettingsDirForUser() {
    // Asked afresh on every call (the user's folder is the system's to tell); the reference
    // stays valid until the next call.
    static std::wstring folder;
    const std::wstring appData = platform::GetKnownFolders().UserAppData();
    if (appData.empty()) {
        throw std::runtime_error("The system did not tell where the current user's application data folder is.");
    }
    folder = params::WithTrailingBackslash(appData) + GetAppDirSuffix();
    return folder;
}

const std::wstring& ComputerInfo::GetAppDirSuffix() {
    static const std::wstring suffix = L"Quentara\\Corvex Workstation\\";
    return suffix;
}
