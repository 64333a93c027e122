// Registers the agent's service, points an existing registration at an agent, and removes it.
#pragma once

#include <string>

namespace ServiceControl {

// The name the service manager shows for the agent's service.
inline constexpr wchar_t kServiceDisplayName[] = L"Corvex Workstation x64";

// Each call opens its own handles and closes them again. Failed calls to the service control
// manager throw ServiceControlException (ServiceControlAccessDeniedException for code 5).
class ServiceRegistration {
public:
    // Registers the program at `agentPath` as the automatic service of its own process, or,
    // when the service exists, points it at that program with the automatic start type and
    // the display name.
    void Register(const std::wstring& agentPath);
    // Whether the service is registered (and not marked for deletion).
    bool IsRegistered();
    // The program that the registration runs: its command line without the quotes around
    // the program.
    std::wstring AgentPath();
    // Marks the service for deletion; it goes when its last handle is closed.
    void Remove();
};

// Whether a service command line runs the program at `agentPath` (quotes and letter case
// aside).
bool RunsProgram(const std::wstring& commandLine, const std::wstring& agentPath);

}  // namespace ServiceControl
