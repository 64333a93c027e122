// The application without its dialogs' details: the run mode a command line chooses, the
// silent modes, the service commands' messages and the entry point's "Error!" box.
#include "dialog_bench.h"
#include "params/corvex_parameters.h"

namespace {

using testing_support::AppBench;
using testing_support::DialogDriver;
using platform::FakeServiceManager;

enum class Shown { None, Configuration, Kit, Install };

struct RunModeCase {
    const wchar_t* arguments;
    Shown dialog;
    int button;  // clicked in the dialog
    int exitCode;
};

class RunModeTest : public ::testing::TestWithParam<RunModeCase> {};

TEST_P(RunModeTest, TheCommandLineChoosesExactlyOneModeAndItsExitCode) {
    AppBench bench;
    bench.CommandLine(GetParam().arguments);
    bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
    CSetupClientApp app;
    Shown shown = Shown::None;
    EXPECT_EQ(testing_support::RunModal([&] { return AfxWinMain(app); },
                                        [&](DialogDriver& w) {
                                            shown = w.Has(IDC_NAME_COMPUTER) ? Shown::Kit
                                                    : w.Has(IDC_START)       ? Shown::Configuration
                                                                             : Shown::Install;
                                            w.Click(GetParam().button);
                                        }),
              GetParam().exitCode);
    EXPECT_EQ(shown, GetParam().dialog);
}

const int kOk = IDOK, kCancel = IDCANCEL, kSuccess = ExitCode::kSuccess, kCancelled = ExitCode::kCancelled;
INSTANTIATE_TEST_SUITE_P(
    Switches, RunModeTest,
    ::testing::Values(RunModeCase{L"", Shown::Configuration, kCancel, kCancelled},
                      RunModeCase{L"", Shown::Configuration, kOk, kSuccess},
                      RunModeCase{L"--create_packet", Shown::Kit, kCancel, kCancelled},
                      RunModeCase{L"--install_client", Shown::Install, kOk, kSuccess},
                      RunModeCase{L"\"--CREATE_PACKET\"", Shown::Kit, kCancel, kCancelled},
                      RunModeCase{L"--SILENT_INSTALL", Shown::None, 0, kSuccess},
                      // Near misses and the program's own path are not switches.
                      RunModeCase{L"--silent_install=1 /silent_install silent_install", Shown::Configuration, kCancel,
                                  kCancelled},
                      RunModeCase{L"\"--create_packet install\"", Shown::Configuration, kCancel, kCancelled},
                      // Precedence: silent install, silent local install, kit, install-time, default.
                      RunModeCase{L"--silent_install_local --silent_install", Shown::None, 0, kSuccess},
                      RunModeCase{L"--install_client --silent_install_local --create_packet", Shown::None, 0, kSuccess},
                      RunModeCase{L"--install_client --create_packet", Shown::Kit, kCancel, kCancelled},
                      RunModeCase{L"foo --install_client bar --debug", Shown::Install, kOk, kSuccess}));

TEST(HasCommandLineOption, NeverLooksAtTheProgramPathAndNothingIsFoundWhenTheLineCannotBeSplit) {
    AppBench bench;
    CSetupClientApp app;
    bench.commandLine.line = L"--silent_install";
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), FALSE);
    bench.commandLine.line = L"\"C:\\x\\--silent_install\" a --Silent_Install";
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), TRUE);
    bench.commandLine.splitFails = true;
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), FALSE);
}

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
const std::vector<std::string> kSilentSteps{"firewall", "restart(ignore stop failure)"};

TEST(SilentInstall, FirewallForTheAgentBesideTheConfiguratorThenRestartAndNoSettingsTouched) {
    AppBench bench;
    bench.module.path = L"C:\\Tools\\configurator.exe";
    bench.CommandLine(L"--silent_install");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSuccess);
    EXPECT_EQ(app.trace, kSilentSteps);
    EXPECT_EQ(bench.AgentStoreBytes(), "");
    EXPECT_EQ(bench.services.state, static_cast<DWORD>(SERVICE_RUNNING));
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
    DWORD state;
    DWORD stopRefusedWith;
    DWORD stateAfterStart;
    std::wstring modulePath = L"C:\\Corvex\\SetupClient.exe";
};

class SilentExitCodeTest : public ::testing::TestWithParam<ExitCodeCase> {};

TEST_P(SilentExitCodeTest, TellsWhichStepFailedFromTheEndState) {
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

const DWORD kStopped = SERVICE_STOPPED, kRunning = SERVICE_RUNNING;
INSTANTIATE_TEST_SUITE_P(
    Table, SilentExitCodeTest,
    ::testing::Values(
        ExitCodeCase{"ServiceMissing", false, true, ExitCode::kServiceNotRunning | ExitCode::kFirewallNotConfirmed, 2,
                     kStopped, 0, kRunning},
        // The stop is refused, the start then too (already running): it still runs.
        ExitCodeCase{"RefusedStopLeavesItRunning", true, false, 0, 2, kRunning, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, kRunning},
        ExitCodeCase{"StuckStart", true, false, ExitCode::kServiceNotRunning, 0, kStopped, 0, SERVICE_START_PENDING},
        // A configurator path longer than 260 characters is cut by the system: no firewall step.
        ExitCodeCase{"CutConfiguratorPath", true, false, ExitCode::kFirewallNotConfirmed, 1, kStopped, 0, kRunning,
                     L"C:\\" + std::wstring(300, L'd') + L"\\SetupClient.exe"}),
    [](const ::testing::TestParamInfo<ExitCodeCase>& info) { return std::string(info.param.name); });

TEST(SilentLocalInstall, StoresLocalhostAsASystemSuppliedNameThenDoesTheSilentSteps) {
    AppBench bench;
    bench.StoreAgentSettings(L"backup.example.com", 1234, L"CORP\\someone", L"WS-07");
    bench.CommandLine(L"--silent_install_local");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSuccess);
    EXPECT_EQ(app.trace, kSilentSteps);
    CorvexParameters defaults(L"client");
    defaults.LoadSystemDefaults();
    const AppBench::Stored stored = bench.ReadAgentSettings();
    EXPECT_EQ(stored.host, L"localhost");
    EXPECT_EQ(stored.port, CorvexParameters::Defaults::coordinatorPort);
    EXPECT_EQ(stored.login, defaults.GetAllowedUserName());
    EXPECT_EQ(stored.workstation, L"localhost");
    EXPECT_NE(bench.AgentStoreBytes().find("\"systemSupplied\": true"), std::string::npos);
    EXPECT_EQ(bench.services.state, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST(SilentLocalInstall, AStoreThatCantBeWrittenIsReportedAndTheAgentLeftAlone) {
    AppBench bench;
    bench.folders.programData = L"/dev/null/ProgramData";  // the save can't create its folder
    bench.CommandLine(L"--silent_install_local");
    TracingApp app;
    EXPECT_EQ(AfxWinMain(app), ExitCode::kSettingsNotSaved);
    EXPECT_TRUE(app.trace.empty());
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
}

struct CommandCase {
    const char* name;
    std::function<void(FakeServiceManager&)> arrange;
    std::function<BOOL(CSetupClientApp&)> command;
    BOOL result;
    std::vector<std::wstring> messages;
    int startRequests;
    int stopRequests;
};

class ServiceCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ServiceCommandTest, ShowsTheRightMessageAndGivesTheRightResult) {
    const CommandCase& c = GetParam();
    AppBench bench;
    bench.module.path = L"C:\\Tools\\configurator.exe";  // the caption is the program's name
    c.arrange(bench.services);
    CSetupClientApp app;
    app.InitAppTitle();
    EXPECT_EQ(c.command(app), c.result);
    std::vector<std::wstring> shown;
    for (const auto& box : bench.prompts.messageBoxes) {
        shown.push_back(box.text);
        EXPECT_EQ(box.type, 16u) << "error icon and OK only";
        EXPECT_EQ(box.caption, L"configurator");
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(bench.services.Count("Start"), c.startRequests);
    EXPECT_EQ(bench.services.Count("Control"), c.stopRequests);
}

void Missing(FakeServiceManager& s) { s.installedService.clear(); }
void Running(FakeServiceManager& s) { s.state = SERVICE_RUNNING; }
void Denied(FakeServiceManager& s) { s.FailCall("OpenManager", 0, ERROR_ACCESS_DENIED); }
void StopRefused(FakeServiceManager& s) {
    s.state = SERVICE_RUNNING;
    s.FailCall("Control", 0, 1052);
}
void StartsThenDies(FakeServiceManager& s) { s.stateAfterStart = SERVICE_STOPPED; }
BOOL Start(CSetupClientApp& app) { return app.StartService(); }
BOOL Stop(CSetupClientApp& app) { return app.StopService(); }
BOOL Query(CSetupClientApp& app) { return app.IsServiceRunning(); }
BOOL Strict(CSetupClientApp& app) { return app.RestartService(FALSE); }
BOOL Lenient(CSetupClientApp& app) { return app.RestartService(TRUE); }
const wchar_t kUnknown[] = L"Unknown system error";

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceCommandTest,
    ::testing::Values(CommandCase{"QueryMissing", Missing, Query, FALSE, {kUnknown}, 0, 0},
                      CommandCase{"StartMissing", Missing, Start, FALSE, {L"Unknown system error. Code: 1060"}, 0, 0},
                      CommandCase{"StopMissing", Missing, Stop, FALSE, {kUnknown}, 0, 0},
                      CommandCase{"StartRunning", Running, Start, FALSE, {L"Unknown system error. Code: 1056"}, 1, 0},
                      CommandCase{"StartDenied", Denied, Start, FALSE, {L"Access denied"}, 0, 0},
                      CommandCase{"StopDenied", Denied, Stop, FALSE, {L"Access denied"}, 0, 0},
                      CommandCase{"QueryDenied", Denied, Query, FALSE, {L"Access denied"}, 0, 0},
                      CommandCase{"StartAcceptedButNotRunning", StartsThenDies, Start, FALSE, {}, 1, 0},
                      CommandCase{"Stop", Running, Stop, TRUE, {}, 0, 1},
                      CommandCase{"RestartOfStoppedOnlyStarts", [](FakeServiceManager&) {}, Strict, TRUE, {}, 1, 0},
                      CommandCase{"RestartMissingShowsBoth", Missing, Lenient, FALSE,
                                  {kUnknown, L"Unknown system error. Code: 1060"}, 0, 0},
                      CommandCase{"RestartRunning", Running, Strict, TRUE, {}, 1, 1},
                      CommandCase{"StrictRestartStopsAtRefusedStop", StopRefused, Strict, FALSE, {kUnknown}, 0, 1},
                      CommandCase{"LenientRestartStartsAfterRefusedStop", StopRefused, Lenient, FALSE,
                                  {kUnknown, L"Unknown system error. Code: 1056"}, 1, 1}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

TEST(EntryPoint, AnEscapedExceptionIsShownInTheErrorBoxAsUtf8AndEndsWith16) {
    struct Throwing : CWinApp {
        BOOL InitInstance() override { throw std::runtime_error("boom at cli\xC3\xA9nt"); }
    };
    AppBench bench;
    Throwing app;
    EXPECT_EQ(AfxWinMain(app), kExitUnexpectedError);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"boom at cli\u00e9nt");
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(bench.prompts.messageBoxes[0].owned);
}

}  // namespace
