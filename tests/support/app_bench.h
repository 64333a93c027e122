// Everything the application and its dialogs need around them in a test: fake seams, a
// temporary folder standing in for the machine's and the user's settings folders (written
// through the real file system: Win32 under Wine, POSIX natively), a simulated agent service,
// a virtual clock and the prompts' answerer. Under Wine the real Win32 user interface and the
// computer's own name are installed as well, and the command line is split by the system's own rule.
#pragma once

#include <memory>
#include <string>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_firewall.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/fake/fake_seams.h"
#include "platform/fake/fake_service_manager.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "prompt_answerer.h"

namespace testing_support {

// The four settings as "host|port|login|name".
inline std::wstring Show(const CorvexParameters& p) {
    return p.GetCoordinatorHost() + L"|" + std::to_wstring(p.GetCoordinatorPort()) + L"|" + p.GetAllowedUserName() +
           L"|" + p.GetClientName();
}

class AppBench {
    struct Host;
    std::unique_ptr<Host> m_host;  // the temporary folder, the real file system and user interface

public:
    AppBench();
    ~AppBench();

    // Sets the program's command line (the program path comes first).
    void CommandLine(const std::wstring& arguments) { commandLine.line = L"C:\\Corvex\\SetupClient.exe " + arguments; }
    // Stores the agent's settings as a previous save would have (the name typed, or as the system supplied it).
    void StoreAgentSettings(const std::wstring& host, unsigned short port, const std::wstring& login,
                            const std::wstring& workstation, bool systemSupplied = false);
    // Damages both of the agent's settings files, so that a load of them fails (user.json is larger than 64 KiB).
    void DamageAgentSettings();
    // What the agent's store (or the given pair of folders) holds, as Show gives it.
    std::wstring ReadAgentSettings() { return ReadSettings(AgentStore(), AgentStore()); }
    std::wstring ReadSettings(const std::wstring& userDir, const std::wstring& workstationDir);
    // The agent store's folder (ends with a backslash), and its two files' bytes together (or
    // those of the given pair of folders).
    std::wstring AgentStore() const { return folders.programData + L"\\Quentara\\Corvex Workstation\\Settings\\"; }
    std::string AgentStoreBytes() { return StoreBytes(AgentStore(), AgentStore()); }
    std::string StoreBytes(const std::wstring& userDir, const std::wstring& workstationDir);
    // Whether the workstation file in `folder` (ending with a backslash) holds the system's name.
    bool SystemSupplied(const std::wstring& folder) {
        return StoreBytes(folder, folder).find("\"systemSupplied\": true") != std::string::npos;
    }
    // A Windows-style path inside the bench's temporary folder.
    std::wstring PathInRoot(const std::wstring& relative) const;

    platform::FileSystem& files;
    platform::FakeCommandLine commandLine;
    platform::FakeModuleFile module;
    platform::FakeKnownFolders folders;
    platform::FakeClock clock;
    platform::FakeFirewall firewall;
    platform::FakeServiceManager services;
    PromptAnswerer prompts;

private:
    platform::Seams m_previousSeams;
};

}  // namespace testing_support
