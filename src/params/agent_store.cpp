#include "params/agent_store.h"

#include <stdexcept>

#include "params/computer_info.h"
#include "params/settings_store.h"
#include "platform/known_folders.h"
#include "platform/platform.h"

namespace params {

const wchar_t kUserSettingsFile[] = L"user.json";
const wchar_t kWorkstationSettingsFile[] = L"workstation.json";

std::wstring ProgramDataDir() {
    const std::wstring programData = platform::GetKnownFolders().ProgramData();
    if (programData.empty()) {
        throw std::runtime_error(
            "The system did not tell where its ProgramData folder is, so the agent's "
            "settings cannot be found.");
    }
    return WithTrailingBackslash(programData);
}

std::wstring AgentSettingsDir() { return ProgramDataDir() + ComputerInfo::GetAppDirSuffix() + L"Settings\\"; }

}  // namespace params
