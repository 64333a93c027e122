// Everything the application and its dialogs need around them in a unit test: fake seams,
// a temporary folder standing in for the machine's and the user's settings folders, a
// simulated agent service, a virtual clock and the headless user interface.
#pragma once

#include <string>

#include "../params/temp_folder.h"
#include "framework/headless/headless_ui.h"
#include "platform/fake/fake_firewall.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/fake/fake_seams.h"
#include "platform/platform.h"
#include "platform/portable/portable_file_system.h"
#include "simulated_service_manager.h"

namespace testing_support {

class AppBench {
public:
    AppBench();
    ~AppBench();
    AppBench(const AppBench&) = delete;
    AppBench& operator=(const AppBench&) = delete;

    // Sets the program's command line (the program path comes first).
    void CommandLine(const std::wstring& arguments) { commandLine.line = L"C:\\Corvex\\SetupClient.exe " + arguments; }
    // Stores the agent's settings as a previous save would have.
    void StoreAgentSettings(const std::wstring& host, unsigned short port, const std::wstring& login,
                            const std::wstring& workstation);
    // Reads back what the agent's store (or the given pair of folders) holds.
    struct Stored {
        std::wstring host;
        unsigned short port;
        std::wstring login;
        std::wstring workstation;
    };
    Stored ReadAgentSettings();
    Stored ReadSettings(const std::wstring& userDir, const std::wstring& workstationDir);
    // The agent store's folder (ends with a backslash), and its two files' bytes together.
    std::wstring AgentStore() const;
    std::string AgentStoreBytes();

    params_test::TempFolder root;  // removed with the bench
    platform::FakeCommandLine commandLine;
    platform::FakeModuleFile module;
    platform::PortableFileSystem files;
    platform::FakeKnownFolders folders;
    platform::FakeClock clock;
    platform::FakeMachineName machine;
    platform::FakeFirewall firewall;
    SimulatedServiceManager services;
    framework::HeadlessUi ui;

private:
    platform::Seams m_previousSeams;
    framework::UiBackend* m_previousUi;
};

}  // namespace testing_support
