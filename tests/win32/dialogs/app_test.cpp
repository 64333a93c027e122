// The application without its dialogs' details: the run mode a command line chooses, the
// silent modes and the service commands' messages.
#include "dialog_bench.h"
#include "dialogs/setup_client_dlg.h"
#include "framework/win32/win32_ui.h"

namespace {

using namespace testing_support;

enum Opened { kNoDialog, kConfiguration, kKit, kInstall };
struct RunModeCase {
    const wchar_t* arguments;
    Opened dialog;
    int button, exitCode;  // the button clicked in the dialog, the run's exit code
};
class RunModeTest : public DialogTest, public ::testing::WithParamInterface<RunModeCase> {};

// A dialog's run ends with its button's code, also when the firewall keeps no rule; no mode leaves
// the framework a message loop to run (InitInstance gives FALSE). Every mode registers the standard
// common controls first; the registry key is in force while the dialog runs. The kit dialog, with
// no kit made yet, opens on the defaults, not on this workstation's settings.
TEST_P(RunModeTest, TheCommandLineChoosesExactlyOneModeAndItsExitCode) {
    bench.CommandLine(GetParam().arguments), bench.firewall.failure = GetParam().dialog != kNoDialog;
    struct : framework::Win32Ui {
        DWORD classes = 0;  // the common controls' classes registered
        BOOL InitCommonControls(DWORD c) override { return classes = c, Win32Ui::InitCommonControls(c); }
    } ui;
    framework::InstallUi(&ui);  // until the bench puts its own back
    Opened shown = kNoDialog;
    const auto user = [&](DialogDriver& w) {
        shown = w.Has(IDC_NAME_COMPUTER) ? kKit : w.Has(IDC_START) ? kConfiguration : kInstall;
        EXPECT_EQ(app.GetRegistryKey(), L"Local AppWizard-Generated Applications");
        EXPECT_TRUE(shown != kKit || w.Text(IDC_SERVER_HOST) == L"localhost") << "no kit yet: defaults, not ours";
        w.Click(GetParam().button);
    };
    EXPECT_EQ(RunModal([&] { return app.InitInstance() ? -1 : app.ExitInstance(); }, user), GetParam().exitCode);
    // The stored name stays but in a silent local install: the install-time dialog's OK stores it as it shows it.
    EXPECT_EQ(std::make_tuple(shown, ui.classes, bench.ReadAgentSettings().find(L"|WS-01") == std::wstring::npos),
              std::make_tuple(GetParam().dialog, DWORD{0xFF}, std::wcsstr(GetParam().arguments, L"_local") != nullptr));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Switches, RunModeTest, ::testing::ValuesIn(std::vector<RunModeCase>{
    {L"", kConfiguration, IDCANCEL, 1}, {L"--install_client", kInstall, IDOK, 0},
    {L"\"--CREATE_PACKET\"", kKit, IDCANCEL, 1}, {L"--SILENT_INSTALL", kNoDialog, 0, 0},
    // Near misses and the program's own path are not switches.
    {L"--silent_install=1 /silent_install -silent_install silent_install", kConfiguration, IDCANCEL, 1},
    {L"\"--create_packet install\" \"--silent_install \"", kConfiguration, IDCANCEL, 1},
    // Nor are the start of one or an empty argument. A dialog that ends otherwise than by OK or
    // Cancel (here the driver ends it with -1, as a dialog that cannot be shown ends) ends the run with 16.
    {L"-- --c \"\"", kConfiguration, IDOK, 0}, {L"", kConfiguration, 0, 16},
    // Precedence: silent install, silent local install, kit, install-time, default; a lone "--" ends nothing.
    {L"--install_client --silent_install_local --create_packet", kNoDialog, 0, 0},
    {L"--install_client --create_packet", kKit, IDCANCEL, 1},
    {L"foo -- --install_client bar --debug", kInstall, IDOK, 0}}));
// clang-format on

// Records the application's own operations as they reach one another through the virtual table.
struct TracingApp : CSetupClientApp {
    using Base = CSetupClientApp;
    void Note(const char* operation) { trace += operation, trace += ' '; }
    std::string trace;
    bool deniesSwitches = false;  // every switch, whatever the command line holds
    BOOL HasCommandLineOption(const wchar_t* o) override { return !deniesSwitches && Base::HasCommandLineOption(o); }
    BOOL IsSilentInstallMode() override { return Note("silent?"), Base::IsSilentInstallMode(); }
    BOOL IsSilentInstallLocalMode() override { return Note("local?"), Base::IsSilentInstallLocalMode(); }
    BOOL IsCreatePacketMode() override { return Note("kit?"), Base::IsCreatePacketMode(); }
    BOOL IsInstallClientMode() override { return Note("install?"), Base::IsInstallClientMode(); }
    std::unique_ptr<CSetupClientDlg> CreateSettingsDialog() override {
        return Note("dialog"), Base::CreateSettingsDialog();
    }
    void AddFirewallException() override { Note("firewall"), Base::AddFirewallException(); }
    std::wstring GetWorkstationExePath() override { return Note("path"), Base::GetWorkstationExePath(); }
    const wchar_t* GetWorkstationExeName() override { return Note("name"), Base::GetWorkstationExeName(); }
    BOOL RestartService(BOOL ignore) override { return Note("restart"), Base::RestartService(ignore); }
    BOOL IsServiceRunning() override { return Note("running?"), Base::IsServiceRunning(); }
    BOOL StopService() override { return Note("stop"), Base::StopService(); }
    BOOL StartService() override { return Note("start"), Base::StartService(); }
};

// The program's own path is no switch, even one that reads like one. Start-up asks the
// subclass's own mode tests and factory, the factory its mode tests, and each mode test its
// switch test: when that denies every switch on the line, the workstation dialog opens (and asks
// whether the service runs).
TEST(SwitchTest, SkipsTheProgramsPathAndIsReachedThroughTheVirtualTable) {
    AppBench bench;
    bench.commandLine.line = L"--create_packet";
    TracingApp app;
    EXPECT_EQ(app.IsCreatePacketMode(), FALSE);
    bench.CommandLine(L"--silent_install --silent_install_local --create_packet --install_client");
    app.deniesSwitches = true, RunModal([&] { return AfxWinMain(app); }, [](DialogDriver& w) { w.Click(IDCANCEL); });
    const BOOL fourth = app.Base::HasCommandLineOption(L"Install_Client");  // TRUE is 1, wherever the switch stands
    EXPECT_EQ(app.trace + std::to_string(fourth), "kit? silent? local? dialog kit? install? running? 1");
}

struct ExitCodeCase {
    int opens, firewall;  // opens: the agent's service, else access is denied; firewall: FakeFirewall's failure
    DWORD state, stopRefusedWith, stateAfterStart;
    int exitCode, messages;  // messages: the end's state is asked without one
    bool pathCut;            // a configurator path longer than 260 characters is cut by the system
};
class SilentExitCodeTest : public ::testing::TestWithParam<ExitCodeCase> {};

TEST_P(SilentExitCodeTest, TellsWhichStepFailedFromTheEndState) {
    const ExitCodeCase& c = GetParam();
    AppBench bench;
    // The plain silent install wins.
    bench.CommandLine(L"--silent_install_local --silent_install"), bench.firewall.failure = c.firewall;
    bench.module.path = c.pathCut ? L"C:\\" + std::wstring(300, L'd') + L"\\a.b.EXE" : L"C:\\Tools\\configurator.exe";
    // Settings stored, then damaged: neither read nor written.
    bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01"), bench.DamageAgentSettings();
    const std::string stored = bench.AgentStoreBytes();
    if (!c.opens) bench.services.FailCall("OpenServiceByName", 0, ERROR_ACCESS_DENIED);
    bench.services.state = c.state, bench.services.stateAfterStart = c.stateAfterStart;
    if (c.stopRefusedWith != 0) bench.services.FailCall("Control", 0, c.stopRefusedWith);
    TracingApp app;
    EXPECT_EQ(testing_support::RunWithoutDialogs(app), c.exitCode);
    // The steps (the agent's path, then a stop only of a running service and a start after it
    // whatever the stop gave); one rule, for the agent beside the configurator; the settings untouched.
    EXPECT_EQ(std::tuple(app.trace, bench.prompts.messageBoxes.size(), bench.AgentStoreBytes(), Rules(bench.firewall)),
              std::tuple("silent? firewall path " + std::string(c.pathCut ? "" : "name ") + "restart running? " +
                             (c.state == SERVICE_RUNNING ? "stop start " : "start "),
                         c.messages, stored,
                         c.exitCode & 2 ? L"" : L"C:\\Tools\\CorvexWorkstation.exe|Corvex Workstation x64\n"));
    // From a cut path the box tells why no rule was asked for; its caption is the program's name all the same.
    const std::wstring why = platform::ModulePathError().Text() + L"|a.b|16|0|0\n";
    EXPECT_EQ(c.pathCut ? Described(bench.prompts.messageBoxes) : L"",
              c.pathCut ? L"The firewall exception for the agent was not added. " + why : L"");
}

const DWORD kStopped = SERVICE_STOPPED, kRunning = SERVICE_RUNNING, kPending = SERVICE_START_PENDING;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, SilentExitCodeTest, ::testing::ValuesIn(std::vector<ExitCodeCase>{
    // A stopped agent is started; then the service denied and the rule refused.
    {true, 0, kStopped, 0, kRunning, 0, 0, false}, {false, 2, kStopped, 0, kRunning, 1 | 2, 2, false},
    // The stop is refused, the start then too (already running): it still runs, not restarted.
    {true, 0, kRunning, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, kRunning, 8, 2, false},
    {true, 0, kStopped, 0, kPending, 1, 0, false}, {true, 0, kStopped, 0, kRunning, 2, 1, true}}));
// clang-format on

// On a fresh machine it creates the store; over stored settings, even damaged ones, it stores
// the defaults without reading them, and starts the agent also after a refused stop.
TEST(SilentLocalInstall, StoresLocalhostAsASystemSuppliedNameThenDoesTheSilentSteps) {
    AppBench bench;
    bench.CommandLine(L"--silent_install_local");
    CSetupClientApp fresh;
    EXPECT_EQ(testing_support::RunWithoutDialogs(fresh), 0);
    bench.DamageAgentSettings(), bench.services.FailCall("Control", 1, ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    TracingApp app;
    EXPECT_EQ(testing_support::RunWithoutDialogs(app), 8) << "not restarted";
    EXPECT_EQ(app.trace, "silent? local? firewall path name restart running? stop start ");
    EXPECT_EQ(std::make_tuple(bench.ReadAgentSettings(), bench.SystemSupplied(bench.AgentStore()),
                              bench.AgentStoreBytes().find(kDefaultSecurity) != std::string::npos),
              std::make_tuple(L"localhost|9750|Administrator|localhost", true, true));
    bench.services.stateAfterStart = kPending, bench.firewall.rules = {}, bench.firewall.failure = 3;
    CSetupClientApp stuck;
    const size_t boxes = bench.prompts.messageBoxes.size();
    EXPECT_EQ(RunWithoutDialogs(stuck), 1 | 2) << "the service is not running, the rules unreadable";
    EXPECT_EQ(bench.prompts.messageBoxes.size(), boxes) << "none more: the code tells it";
    bench.folders.programData = L"/dev/null/ProgramData";  // the save can't create its folder
    TracingApp refused;
    EXPECT_EQ(testing_support::RunWithoutDialogs(refused), 4) << "the settings were not saved";
    EXPECT_EQ(refused.trace, "silent? local? ") << "no firewall or service step";
    const ShownMessageBox& told = bench.prompts.messageBoxes.back();  // the save's reason
    EXPECT_EQ(std::to_wstring(bench.prompts.messageBoxes.size() - boxes) + told.caption + L": " + told.text,
              L"1Error!: The settings folder \"" + bench.AgentStore() +
                  L"\" cannot be used: the system's ProgramData folder \"/dev/null/ProgramData\" does not exist.");
}

// Each service command gives exactly TRUE when done, and tells the controller's error in a box of
// its own and gives FALSE: "Access denied" (5, from the manager or the service), else the unknown
// error, with its code (signed) for a start only (here a refused start type, a code whose low word
// is 5); each command meets both. A stop whose start type is refused, a stop refused because the
// service is not active (1062), a status query that answers 2 and a manager that cannot be reached
// (1722) are errors too. Any other error passes through, to the dialog's own box or, at the
// program's entry point, to one "Error!" box that ends the program with its own code.
using ServiceCommandTest = DialogTest;
TEST_F(ServiceCommandTest, TellTheControllersErrorsInTheirOwnBoxes) {
    std::vector<BOOL> results{app.StartService(), app.IsServiceRunning()};  // done: exactly TRUE
    bench.services.FailCall("ChangeStartType", 2, 0x80070005), bench.services.FailCall("ChangeStartType", 3, 1051);
    results.insert(end(results), {app.StartService(), app.StopService()});
    bench.services.FailCall("Control", 0, 1062), results.push_back(app.StopService());
    bench.services.FailCall("QueryStatus", 0, 0, 2), results.push_back(app.IsServiceRunning());
    bench.services.FailCall("OpenServiceByName", 0, ERROR_ACCESS_DENIED);  // told after the manager's close
    bench.services.FailCall("OpenManager", 9, 5), bench.services.FailCall("OpenManager", 10, 1722);  // status queries'
    results.insert(end(results), {app.StartService(), app.StopService(), app.IsServiceRunning(), app.IsServiceRunning(),
                                  app.IsServiceRunning()});
    EXPECT_THROW((platform::Install({}), app.StartService()), std::logic_error) << "no seams: not the controller's";
    EXPECT_THROW(app.IsServiceRunning(), std::logic_error);
    const int atEntry = AfxWinMain(app);  // the title's module path is the first to need a seam
    EXPECT_EQ(std::make_tuple(atEntry, results, Shown()),
              std::make_tuple(16, std::vector<BOOL>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                              std::vector<std::wstring>{L"Unknown system error. Code: -2147024891", kUnknown, kUnknown,
                                                        kUnknown, L"Access denied", L"Access denied", L"Access denied",
                                                        kUnknown, L"Access denied",
                                                        L"platform seam not installed: module file|Error!|262160"}));
}

}  // namespace
