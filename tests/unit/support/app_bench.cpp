#include "app_bench.h"

#include "params/corvex_parameters.h"

namespace testing_support {

AppBench::AppBench() : ui(CORVEX_RC_PATH) {
    folders.programData = root.Wide() + L"\\ProgramData";
    folders.userAppData = root.Wide() + L"\\AppData";
    module.path = L"C:\\Corvex\\SetupClient.exe";
    platform::Seams seams;
    seams.commandLine = &commandLine;
    seams.module = &module;
    seams.files = &files;
    seams.folders = &folders;
    seams.clock = &clock;
    seams.firewall = &firewall;
    seams.services = &services;
    seams.machine = &machine;
    m_previousSeams = platform::Install(seams);
    m_previousUi = framework::InstallUi(&ui);
}

AppBench::~AppBench() {
    framework::InstallUi(m_previousUi);
    platform::Install(m_previousSeams);
}

void AppBench::StoreAgentSettings(const std::wstring& host, unsigned short port, const std::wstring& login,
                                  const std::wstring& workstation) {
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, port, CorvexParameters::Defaults::isSecured);
    parameters.SetUserName(login);
    parameters.SetClientName(workstation, false);
    parameters.Save(true);
}

AppBench::Stored AppBench::ReadAgentSettings() { return ReadSettings(AgentStore(), AgentStore()); }

AppBench::Stored AppBench::ReadSettings(const std::wstring& userDir, const std::wstring& workstationDir) {
    CorvexParameters parameters(L"client");
    parameters.Load(userDir, workstationDir);
    return Stored{parameters.GetCoordinatorHost(), parameters.GetCoordinatorPort(), parameters.GetAllowedUserName(),
                  parameters.GetClientName()};
}

std::wstring AppBench::AgentStore() const {
    return folders.programData + L"\\Quentara\\Corvex Workstation\\Settings\\";
}

std::string AppBench::AgentStoreBytes() {
    std::string user;
    std::string workstation;
    files.ReadWholeFile(AgentStore() + L"user.json", 1 << 20, user);
    files.ReadWholeFile(AgentStore() + L"workstation.json", 1 << 20, workstation);
    return user + workstation;
}

}  // namespace testing_support
