// The application without its dialogs' details: the run mode a command line chooses, the
// silent modes, the service commands' messages and the entry point's "Error!" box.
#include <set>

#include "dialog_bench.h"
#include "dialogs/setup_client_dlg.h"
#include "import_hook.h"
#include "params/corvex_parameters.h"

namespace {

using platform::FakeServiceManager;
using namespace testing_support;

enum Opened { kNoDialog, kConfiguration, kKit, kInstall };
struct RunModeCase {
    const wchar_t* arguments;
    Opened dialog;
    int button;  // clicked in the dialog
    int exitCode;
};
class RunModeTest : public DialogTest, public ::testing::WithParamInterface<RunModeCase> {};

// A dialog's run ends with its button's code, also when the firewall keeps no rule; Cancel stores nothing.
TEST_P(RunModeTest, TheCommandLineChoosesExactlyOneModeAndItsExitCode) {
    bench.CommandLine(GetParam().arguments);
    bench.firewall.addIsIgnored = GetParam().dialog != kNoDialog;
    const std::string stored = bench.AgentStoreBytes();
    Opened shown = kNoDialog;
    EXPECT_EQ(RunModal([&] { return AfxWinMain(app); },
                       [&](DialogDriver& w) {
                           shown = w.Has(IDC_NAME_COMPUTER) ? kKit : w.Has(IDC_START) ? kConfiguration : kInstall;
                           w.Click(GetParam().button);
                       }),
              GetParam().exitCode);
    EXPECT_EQ(shown, GetParam().dialog);
    const std::wstring predefined = bench.folders.userAppData + L"\\Quentara\\Corvex Workstation\\";
    if (GetParam().button == IDCANCEL) {
        EXPECT_EQ(std::make_tuple(bench.AgentStoreBytes(), bench.files.GetAttributes(predefined)),
                  std::make_tuple(stored, INVALID_FILE_ATTRIBUTES));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, RunModeTest,
    ::testing::Values(
        RunModeCase{L"", kConfiguration, IDCANCEL, 1}, RunModeCase{L"", kConfiguration, IDOK, 0},
        RunModeCase{L"--create_packet", kKit, IDCANCEL, 1}, RunModeCase{L"--install_client", kInstall, IDOK, 0},
        RunModeCase{L"\"--CREATE_PACKET\"", kKit, IDCANCEL, 1}, RunModeCase{L"--SILENT_INSTALL", kNoDialog, 0, 0},
        // Near misses and the program's own path are not switches.
        RunModeCase{L"--silent_install=1 /silent_install -silent_install silent_install", kConfiguration, IDCANCEL, 1},
        RunModeCase{L"\"--create_packet install\"", kConfiguration, IDCANCEL, 1},
        // Precedence: silent install, silent local install, kit, install-time, default.
        RunModeCase{L"--install_client --silent_install_local --create_packet", kNoDialog, 0, 0},
        RunModeCase{L"--install_client --create_packet", kKit, IDCANCEL, 1},
        RunModeCase{L"foo --install_client bar --debug", kInstall, IDOK, 0}));

// Start-up: the common controls' standard set and the registry key before the dialog, the help
// command, and icon resource 128 as the dialog's big and small icons and as its drag icon; a
// switch is looked for in the arguments only.
TEST_F(DialogTest, StartUpSetsTheKeyShowsIcon128AndNeverTakesTheProgramPathForASwitch) {
    static std::vector<std::pair<DWORD, DWORD>> sets;  // each registration's record size and class set
    std::vector<LRESULT> icons;
    std::wstring key;
    testing_support::ImportHook<decltype(&::InitCommonControlsEx)> controls(
        "InitCommonControlsEx", [](const INITCOMMONCONTROLSEX* init) {
            return sets.push_back({init->dwSize, init->dwICC}), TRUE;
        });
    RunModal([&] { return AfxWinMain(app); },
             [&](DialogDriver& w) {
                 icons = {w.Send(WM_GETICON, ICON_BIG), w.Send(WM_GETICON, ICON_SMALL), w.Send(WM_QUERYDRAGICON)};
                 key = app.GetRegistryKey();
                 w.Click(IDCANCEL);
             });
    EXPECT_EQ(std::make_tuple(sets, key),
              std::make_tuple(std::vector<std::pair<DWORD, DWORD>>{{sizeof(INITCOMMONCONTROLSEX), 0xFF}},
                              L"Local AppWizard-Generated Applications"));
    EXPECT_TRUE(app.DispatchCommand(BN_CLICKED, ID_HELP)) << "the help command is the application's";
    const auto icon = reinterpret_cast<LRESULT>(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128)));
    EXPECT_NE(icon, 0);
    EXPECT_EQ(icons, (std::vector<LRESULT>{icon, icon, icon}));
    bench.commandLine.line = L"--silent_install";
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), FALSE);
    bench.commandLine.line = L"\"C:\\x\\--silent_install\" a --Silent_Install";
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), TRUE);
    bench.commandLine.splitFails = true;  // a line that cannot be split holds no switch
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), FALSE);
}

// The application's operations reach one another through the virtual table: a subclass's
// answer is the one they use.
TEST_F(DialogTest, OperationsReachOneAnotherThroughTheVirtualTable) {
    struct Overriding : CSetupClientApp {
        std::set<std::wstring> options{L"create_packet", L"silent_install", L"silent_install_local"};
        BOOL running = TRUE;
        std::vector<std::string> calls;
        BOOL HasCommandLineOption(const wchar_t* option) override { return options.count(option) ? TRUE : FALSE; }
        BOOL IsSilentInstallMode() override { return FALSE; }
        BOOL IsSilentInstallLocalMode() override { return FALSE; }
        BOOL IsCreatePacketMode() override { return FALSE; }
        BOOL IsInstallClientMode() override { return TRUE; }
        const wchar_t* GetWorkstationExeName() override { return L"agent.exe"; }
        std::wstring GetWorkstationExePath() override { return L"D:\\agent.exe"; }
        BOOL IsServiceRunning() override { return calls.push_back("running?"), running; }
        BOOL StopService() override { return calls.push_back("stop"), TRUE; }
        BOOL StartService() override { return calls.push_back("start"), TRUE; }
        std::unique_ptr<CSetupClientDlg> CreateSettingsDialog() override {
            return calls.push_back("factory"), CSetupClientApp::CreateSettingsDialog();
        }
    } app;
    bench.module.path = L"C:\\Tools\\setup.exe";
    EXPECT_EQ(
        std::make_tuple(app.CSetupClientApp::IsSilentInstallMode(), app.CSetupClientApp::IsSilentInstallLocalMode(),
                        app.CSetupClientApp::IsCreatePacketMode(), app.CSetupClientApp::IsInstallClientMode(),
                        app.CSetupClientApp::GetWorkstationExePath()),
        std::make_tuple(TRUE, TRUE, TRUE, FALSE, L"C:\\Tools\\agent.exe"));
    bench.module.path = L"E:\\setup.exe";  // a drive's root keeps its own backslash, and one more follows
    EXPECT_EQ(app.CSetupClientApp::GetWorkstationExePath(), L"E:\\\\agent.exe");
    app.AddFirewallException();
    EXPECT_EQ(Rules(bench.firewall), L"D:\\agent.exe|Corvex Workstation x64\n");
    app.RestartService(FALSE);
    app.running = FALSE;
    app.RestartService(FALSE);
    // The overridden predicates choose the install-time dialog.
    RunModal([&] { return AfxWinMain(app); },
             [](DialogDriver& w) { EXPECT_FALSE(w.Has(IDC_START) || w.Has(IDC_NAME_COMPUTER)); });
    EXPECT_EQ(app.calls, (std::vector<std::string>{"running?", "stop", "start", "running?", "start", "factory"}));
}

// Records the order in which the silent modes call the application's own operations.
class TracingApp : public CSetupClientApp {
public:
    std::vector<std::string> trace;
    void AddFirewallException() override { trace.push_back("firewall"), CSetupClientApp::AddFirewallException(); }
    BOOL RestartService(BOOL ignoreStopFailure) override {
        trace.push_back(ignoreStopFailure ? "restart(ignore stop failure)" : "restart(strict)");
        return CSetupClientApp::RestartService(ignoreStopFailure);
    }
};
const std::vector<std::string> kSilentSteps{"firewall", "restart(ignore stop failure)"};

struct ExitCodeCase {
    bool installed;
    bool firewallIgnoresAdds;
    DWORD state;
    DWORD stopRefusedWith;
    DWORD stateAfterStart;
    int exitCode;
    size_t messages;  // the end's state is asked without one
    bool pathCut;     // a configurator path longer than 260 characters is cut by the system
};
class SilentExitCodeTest : public ::testing::TestWithParam<ExitCodeCase> {};

TEST_P(SilentExitCodeTest, TellsWhichStepFailedFromTheEndState) {
    const ExitCodeCase& c = GetParam();
    AppBench bench;
    bench.CommandLine(L"--silent_install_local --silent_install");  // the plain silent install wins
    bench.module.path = c.pathCut ? L"C:\\" + std::wstring(300, L'd') + L"\\a.exe" : L"C:\\Tools\\configurator.exe";
    bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
    bench.DamageAgentSettings();  // neither read nor written
    const std::string stored = bench.AgentStoreBytes();
    if (!c.installed) bench.services.installedService.clear();
    bench.services.state = c.state;
    if (c.stopRefusedWith != 0) bench.services.FailCall("Control", 0, c.stopRefusedWith);
    bench.services.stateAfterStart = c.stateAfterStart;
    bench.firewall.addIsIgnored = c.firewallIgnoresAdds;
    TracingApp app;
    EXPECT_EQ(testing_support::RunWithoutDialogs(app), c.exitCode);
    // One rule, for the agent beside the configurator; the settings untouched.
    const std::wstring agentRule = L"C:\\Tools\\CorvexWorkstation.exe|Corvex Workstation x64\n";
    EXPECT_EQ(
        std::make_tuple(app.trace, bench.prompts.messageBoxes.size(), bench.AgentStoreBytes(), Rules(bench.firewall)),
        std::make_tuple(kSilentSteps, c.messages, stored, (c.exitCode & 2) != 0 ? L"" : agentRule));
}

const DWORD kStopped = SERVICE_STOPPED, kRunning = SERVICE_RUNNING;
INSTANTIATE_TEST_SUITE_P(
    Table, SilentExitCodeTest,
    ::testing::Values(ExitCodeCase{true, false, kStopped, 0, kRunning, 0, 0, false},      // a stopped agent is started
                      ExitCodeCase{false, true, kStopped, 0, kRunning, 1 | 2, 2, false},  // missing, no rule
                      // The stop is refused, the start then too (already running): it still runs.
                      ExitCodeCase{true, false, kRunning, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, kRunning, 0, 2, false},
                      ExitCodeCase{true, false, kStopped, 0, SERVICE_START_PENDING, 1, 0, false},
                      ExitCodeCase{true, false, kStopped, 0, kRunning, 2, 1, true}));

// On a fresh machine it creates the store; over stored settings, even damaged ones, it stores
// the defaults without reading them.
TEST(SilentLocalInstall, StoresLocalhostAsASystemSuppliedNameThenDoesTheSilentSteps) {
    AppBench bench;
    bench.CommandLine(L"--silent_install_local");
    CSetupClientApp fresh;
    EXPECT_EQ(testing_support::RunWithoutDialogs(fresh), 0);
    EXPECT_EQ(bench.ReadAgentSettings().workstation, L"localhost");
    bench.DamageAgentSettings();
    bench.services.state = SERVICE_STOPPED;
    TracingApp app;
    EXPECT_EQ(testing_support::RunWithoutDialogs(app), 0);
    EXPECT_EQ(app.trace, kSilentSteps);
    CorvexParameters defaults(L"client");
    defaults.LoadSystemDefaults();
    EXPECT_EQ(bench.ReadAgentSettings(), (AppBench::Stored{L"localhost", defaults.GetCoordinatorPort(),
                                                           defaults.GetAllowedUserName(), L"localhost"}));
    EXPECT_TRUE(bench.SystemSupplied(bench.AgentStore()));
    EXPECT_NE(bench.AgentStoreBytes().find(kDefaultSecurity), std::string::npos);
    EXPECT_EQ(bench.services.state, static_cast<DWORD>(SERVICE_RUNNING));
    bench.services.state = SERVICE_STOPPED, bench.services.stateAfterStart = SERVICE_START_PENDING;
    CSetupClientApp stuck;
    EXPECT_EQ(testing_support::RunWithoutDialogs(stuck), 1) << "the agent's service is not running";
    bench.folders.programData = L"/dev/null/ProgramData";  // the save can't create its folder
    TracingApp refused;
    EXPECT_EQ(testing_support::RunWithoutDialogs(refused), ExitCode::kSettingsNotSaved);
    EXPECT_TRUE(refused.trace.empty()) << "no firewall or service step";
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
}

// Anything but the controller's own errors passes through the service commands to their caller.
TEST_F(DialogTest, OtherErrorsPassThroughTheServiceCommands) {
    bench.services.throwsIn = "OpenManager";
    for (BOOL (CSetupClientApp::*command)() :
         {&CSetupClientApp::StartService, &CSetupClientApp::StopService, &CSetupClientApp::IsServiceRunning})
        EXPECT_THROW((app.*command)(), std::bad_alloc);
    EXPECT_THROW(app.RestartService(TRUE), std::bad_alloc);
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

struct CommandCase {
    std::function<void(FakeServiceManager&)> arrange;
    char command;  // Start, sTop, Query, Restart strict, Lenient restart
    BOOL result;
    std::vector<std::wstring> messages;
    int startRequests;
    int stopRequests;
};
class ServiceCommandTest : public DialogTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ServiceCommandTest, ShowsTheRightMessageAndGivesTheRightResult) {
    const CommandCase& c = GetParam();
    bench.module.path = L"C:\\Tools\\setup.v2.exe";  // the caption is the program's name
    c.arrange(bench.services);
    app.InitAppTitle();
    const BOOL result = c.command == 'S'   ? app.StartService()
                        : c.command == 'T' ? app.StopService()
                        : c.command == 'Q' ? app.IsServiceRunning()
                                           : app.RestartService(c.command == 'L');
    EXPECT_EQ(result, c.result);
    std::wstring expected;
    for (const auto& text : c.messages) expected += text + L"|setup.v2|16|0|0\n";  // error icon and OK only
    EXPECT_EQ(Described(bench.prompts.messageBoxes), expected);
    EXPECT_EQ(bench.services.Count("Start"), c.startRequests);
    EXPECT_EQ(bench.services.Count("Control"), c.stopRequests);
}

void Denied(FakeServiceManager& s) { s.FailCall("OpenManager", 0, ERROR_ACCESS_DENIED); }
void StartRefusedWithAllBits(FakeServiceManager& s) { s.FailCall("Start", 0, 0xFFFFFFFFu); }
const wchar_t k1060[] = L"Unknown system error. Code: 1060", kDenied[] = L"Access denied";

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceCommandTest,
    ::testing::Values(CommandCase{Missing, 'Q', FALSE, {kUnknown}, 0, 0},
                      CommandCase{Missing, 'S', FALSE, {k1060}, 0, 0},
                      CommandCase{Missing, 'T', FALSE, {kUnknown}, 0, 0},
                      CommandCase{Running, 'S', FALSE, {k1056}, 1, 0}, CommandCase{Denied, 'S', FALSE, {kDenied}, 0, 0},
                      CommandCase{Denied, 'T', FALSE, {kDenied}, 0, 0},
                      CommandCase{Denied, 'Q', FALSE, {kDenied}, 0, 0}, CommandCase{StartNotDone, 'S', FALSE, {}, 1, 0},
                      CommandCase{Running, 'T', TRUE, {}, 0, 1}, CommandCase{Stopped, 'R', TRUE, {}, 1, 0},
                      CommandCase{Running, 'R', TRUE, {}, 1, 1}, CommandCase{StopRefused, 'R', FALSE, {kUnknown}, 0, 1},
                      CommandCase{StopRefused, 'L', FALSE, {kUnknown, k1056}, 1, 1},
                      CommandCase{Missing, 'L', FALSE, {kUnknown, k1060}, 0, 0},
                      CommandCase{StartRefusedWithAllBits, 'S', FALSE, {L"Unknown system error. Code: -1"}, 1, 0},
                      CommandCase{StopNotDone, 'T', FALSE, {}, 0, 1}, CommandCase{StopNotDone, 'R', FALSE, {}, 0, 1}));

// An escaped exception, and a dialog that the system could not create, end the run with 16.
TEST(EntryPoint, AnEscapedExceptionIsShownInTheErrorBoxAsUtf8AndEndsWith16) {
    struct Throwing : CWinApp {
        BOOL InitInstance() override { throw std::runtime_error("boom at cli\xC3\xA9nt"); }
    };
    AppBench bench;
    Throwing app;
    EXPECT_EQ(AfxWinMain(app), kExitUnexpectedError);
    EXPECT_EQ(Described(bench.prompts.messageBoxes),
              L"boom at cli\u00e9nt|Error!|" + std::to_wstring(MB_OK | MB_ICONERROR) + L"|0|0\n");  // no owner
    testing_support::ImportHook<decltype(&::DialogBoxParamW)> refused(
        "DialogBoxParamW", [](HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM) { return INT_PTR{-1}; });
    CSetupClientApp withoutDialog;
    EXPECT_EQ(AfxWinMain(withoutDialog), kExitUnexpectedError);
}

}  // namespace
