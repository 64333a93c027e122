// The silent modes: the order of their steps, what they store, and their exit codes.
#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "params/corvex_parameters.h"

namespace {

using testing_support::AppBench;

// Records the order in which the silent modes call the application's own operations.
class TracingApp : public CSetupClientApp {
public:
    std::vector<std::string> trace;
    void AddFirewallException() override {
        trace.push_back("firewall");
        CSetupClientApp::AddFirewallException();
    }
    BOOL RestartService(BOOL ignoreStopFailure) override {
        trace.push_back(ignoreStopFailure ? "restart(ignore stop failure)" : "restart(strict)");
        return CSetupClientApp::RestartService(ignoreStopFailure);
    }
};

TEST(SilentInstall, FirewallForTheAgentBesideTheConfiguratorThenRestartAndNoSettingsTouched) {
    AppBench bench;
    bench.module.path = L"C:\\Tools\\configurator.exe";
    bench.CommandLine(L"--silent_install");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSuccess);
    EXPECT_EQ(app.trace, (std::vector<std::string>{"firewall", "restart(ignore stop failure)"}));
    EXPECT_EQ(bench.AgentStoreBytes(), "");
    EXPECT_EQ(bench.services.state, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(bench.services.Count("Control"), 0) << "a stopped service is only started";
    ASSERT_EQ(bench.firewall.rules.size(), 1u);
    EXPECT_EQ(bench.firewall.rules[0].executablePath, L"C:\\Tools\\CorvexWorkstation.exe");
    EXPECT_EQ(bench.firewall.rules[0].name, L"Corvex Workstation x64");
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

struct ExitCodeCase {
    const char* name;
    bool installed;
    bool firewallIgnoresAdds;
    int exitCode;
};

class SilentExitCodeTest : public ::testing::TestWithParam<ExitCodeCase> {};

TEST_P(SilentExitCodeTest, TellsWhichStepFailed) {
    AppBench bench;
    bench.CommandLine(L"--silent_install");
    if (!GetParam().installed) bench.services.installedService.clear();
    bench.firewall.addIsIgnored = GetParam().firewallIgnoresAdds;
    CSetupClientApp app;
    EXPECT_EQ(AfxWinMain(app), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentExitCodeTest,
    ::testing::Values(ExitCodeCase{"AllGood", true, false, 0},
                      ExitCodeCase{"ServiceMissing", false, false, ExitCode::kServiceNotRunning},
                      ExitCodeCase{"FirewallNotConfirmed", true, true, ExitCode::kFirewallNotConfirmed},
                      ExitCodeCase{"Both", false, true, ExitCode::kServiceNotRunning | ExitCode::kFirewallNotConfirmed}),
    [](const ::testing::TestParamInfo<ExitCodeCase>& info) { return std::string(info.param.name); });

TEST(SilentLocalInstall, StoresLocalhostFromTheDefaultsWhateverWasStored) {
    AppBench bench;
    bench.StoreAgentSettings(L"backup.example.com", 1234, L"CORP\\someone", L"WS-07");
    bench.CommandLine(L"--silent_install_local");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSuccess);
    EXPECT_EQ(app.trace, (std::vector<std::string>{"firewall", "restart(ignore stop failure)"}));
    CorvexParameters defaults(L"client");
    defaults.LoadSystemDefaults();
    const AppBench::Stored stored = bench.ReadAgentSettings();
    EXPECT_EQ(stored.host, L"localhost");
    EXPECT_EQ(stored.port, CorvexParameters::Defaults::coordinatorPort);
    EXPECT_EQ(stored.login, defaults.GetAllowedUserName());
    EXPECT_EQ(stored.workstation, L"localhost");
    EXPECT_EQ(bench.services.state, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST(SilentLocalInstall, AStoreThatCantBeWrittenIsReportedAndTheServiceLeftAlone) {
    AppBench bench;
    // A file where the store's folder should be: the save can't create its folder.
    bench.folders.programData = L"/dev/null/ProgramData";
    bench.CommandLine(L"--silent_install_local");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSettingsNotSaved);
    EXPECT_TRUE(app.trace.empty());
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
    EXPECT_EQ(bench.services.Count("Start"), 0);
}

}  // namespace
