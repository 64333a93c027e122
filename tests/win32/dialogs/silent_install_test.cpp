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
    size_t messages;  // the end's state is asked without one
    DWORD state = SERVICE_STOPPED;
    DWORD stopRefusedWith = 0;
    DWORD stateAfterStart = SERVICE_RUNNING;
    const wchar_t* modulePath = L"C:\\Corvex\\SetupClient.exe";
};

// Longer than the 260 characters the configurator's path is read into: the system cuts it.
const std::wstring kDeepPath = L"C:\\" + std::wstring(300, L'd') + L"\\SetupClient.exe";

class SilentExitCodeTest : public ::testing::TestWithParam<ExitCodeCase> {};

TEST_P(SilentExitCodeTest, TellsWhichStepFailed) {
    AppBench bench;
    bench.CommandLine(L"--silent_install");
    bench.module.path = GetParam().modulePath;
    if (!GetParam().installed) bench.services.installedService.clear();
    bench.services.state = GetParam().state;
    if (GetParam().stopRefusedWith != 0) bench.services.FailCall("Control", 0, GetParam().stopRefusedWith);
    bench.services.stateAfterStart = GetParam().stateAfterStart;
    bench.firewall.addIsIgnored = GetParam().firewallIgnoresAdds;
    CSetupClientApp app;
    EXPECT_EQ(AfxWinMain(app), GetParam().exitCode);
    EXPECT_EQ(bench.prompts.messageBoxes.size(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentExitCodeTest,
    ::testing::Values(ExitCodeCase{"AllGood", true, false, 0, 0},
                      ExitCodeCase{"ServiceMissing", false, false, ExitCode::kServiceNotRunning, 2},
                      ExitCodeCase{"FirewallNotConfirmed", true, true, ExitCode::kFirewallNotConfirmed, 0},
                      ExitCodeCase{"Both", false, true, ExitCode::kServiceNotRunning | ExitCode::kFirewallNotConfirmed, 2},
                      // The stop is refused, the start then too (already running): it still runs.
                      ExitCodeCase{"RefusedStopLeavesItRunning", true, false, 0, 2, SERVICE_RUNNING,
                                   ERROR_SERVICE_CANNOT_ACCEPT_CTRL},
                      ExitCodeCase{"StuckStart", true, false, ExitCode::kServiceNotRunning, 0, SERVICE_STOPPED, 0,
                                   SERVICE_START_PENDING},
                      // A cut path names no agent: the firewall step is refused with a message.
                      ExitCodeCase{"CutConfiguratorPath", true, false, ExitCode::kFirewallNotConfirmed, 1,
                                   SERVICE_STOPPED, 0, SERVICE_RUNNING, kDeepPath.c_str()}),
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
