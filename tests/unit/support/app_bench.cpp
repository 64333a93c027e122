#include "app_bench.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "params/corvex_parameters.h"

namespace testing_support {
namespace {

std::string MakeTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvex-app-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

}  // namespace

AppBench::AppBench() : root(MakeTemporaryFolder()), ui(CORVEX_RC_PATH) {
    folders.programData = std::wstring(root.begin(), root.end()) + L"\\ProgramData";
    folders.userAppData = std::wstring(root.begin(), root.end()) + L"\\AppData";
    module.path = L"C:\\Corvex\\SetupClient.exe";
    platform::Seams seams;
    seams.commandLine = &commandLine;
    seams.module = &module;
    seams.files = &files;
    seams.folders = &folders;
    seams.clock = &clock;
    seams.firewall = &firewall;
    seams.services = &services;
    m_previousSeams = platform::Install(seams);
    m_previousUi = framework::InstallUi(&ui);
}

AppBench::~AppBench() {
    framework::InstallUi(m_previousUi);
    platform::Install(m_previousSeams);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
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

bool AppBench::AgentStoreExists() {
    return std::filesystem::exists(std::filesystem::path(root) / "ProgramData");
}

}  // namespace testing_support
