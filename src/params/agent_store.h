// Where the agent's own settings live, and the names of the two settings files.
#pragma once

#include <string>

namespace params {

// Server host, port, security flag and login.
extern const wchar_t kUserSettingsFile[];
// Workstation name and whether the system supplies it.
extern const wchar_t kWorkstationSettingsFile[];

// The system's ProgramData folder, ending with a backslash. Throws std::runtime_error when
// the system cannot tell where it is.
std::wstring ProgramDataDir();

// The agent's settings folder, machine-wide: the ProgramData folder followed by
// "Quentara\Corvex Workstation\Settings\". Throws std::runtime_error when the system cannot
// tell where ProgramData is.
std::wstring AgentSettingsDir();

}  // namespace params
