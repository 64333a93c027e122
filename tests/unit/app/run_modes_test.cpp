// Which run mode a command line chooses, and what start-up does around it.
#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "dialogs/setup_client_dlg.h"
#include "res/resource.h"

namespace {

using testing_support::AppBench;

// What a run did: the dialog template it showed (0 for none), whether it touched the
// service, and its exit code when the user pressed `button` in the dialog.
struct RunModeCase {
    const wchar_t* arguments;
    UINT dialog;
    bool serviceTouched;
    int button = IDCANCEL;
    int exitCode = ExitCode::kCancelled;
};

class RunModeTest : public ::testing::TestWithParam<RunModeCase> {};

TEST_P(RunModeTest, TheCommandLineChoosesExactlyOneModeAndItsExitCode) {
    AppBench bench;
    bench.CommandLine(GetParam().arguments);
    bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
    const int button = GetParam().button;
    bench.ui.onDialog = [button](framework::HeadlessWindow& window) { window.Click(button); };
    CSetupClientApp app;
    EXPECT_EQ(AfxWinMain(app), GetParam().dialog == 0 ? ExitCode::kSuccess : GetParam().exitCode);
    EXPECT_EQ(bench.ui.commonControlsRegistered, std::vector<DWORD>{0xFF}) << "the standard controls, first";
    if (GetParam().dialog == 0) {
        EXPECT_TRUE(bench.ui.dialogsShown.empty());
    } else {
        EXPECT_EQ(bench.ui.dialogsShown, std::vector<UINT>{GetParam().dialog});
    }
    EXPECT_EQ(!bench.services.log.empty(), GetParam().serviceTouched);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, RunModeTest,
    ::testing::Values(
        RunModeCase{L"", IDD_CLIENT_CONFIGURATION, true},  // the dialog asks for the service state
        RunModeCase{L"", IDD_CLIENT_CONFIGURATION, true, IDOK, ExitCode::kSuccess},
        RunModeCase{L"--create_packet", IDD_CREATE_PACKET, false},
        // The install-time dialog has no way out but OK, which applies the settings.
        RunModeCase{L"--install_client", IDD_INSTALL_CLIENT_CONFIGURATION, true, IDOK, ExitCode::kSuccess},
        RunModeCase{L"\"--create_packet\"", IDD_CREATE_PACKET, false},
        RunModeCase{L"--SILENT_INSTALL", 0, true},
        RunModeCase{L"--silent_install_local", 0, true},
        // Near misses are not switches.
        RunModeCase{L"--silent_install=1", IDD_CLIENT_CONFIGURATION, true},
        RunModeCase{L"/silent_install", IDD_CLIENT_CONFIGURATION, true},
        RunModeCase{L"silent_install", IDD_CLIENT_CONFIGURATION, true},
        RunModeCase{L"\"--create_packet install\"", IDD_CLIENT_CONFIGURATION, true},
        // Precedence: silent install, silent local install, kit, install-time, default.
        RunModeCase{L"--install_client --create_packet", IDD_CREATE_PACKET, false},
        RunModeCase{L"--silent_install_local --create_packet", 0, true},
        RunModeCase{L"foo --install_client bar --debug", IDD_INSTALL_CLIENT_CONFIGURATION, true, IDOK,
                    ExitCode::kSuccess}));

// The program's own path is never taken for a switch.
TEST(HasCommandLineOption, NeverLooksAtTheProgramPath) {
    AppBench bench;
    bench.commandLine.line = L"--silent_install";
    CSetupClientApp app;
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), FALSE);
    bench.commandLine.line = L"\"C:\\x\\--silent_install\" --silent_install";
    EXPECT_EQ(app.HasCommandLineOption(L"silent_install"), TRUE);
}

TEST(HasCommandLineOption, AnUnsplittableCommandLineHoldsNoSwitch) {
    AppBench bench;
    bench.CommandLine(L"--silent_install");
    bench.commandLine.splitFails = true;
    bench.ui.onDialog = [](framework::HeadlessWindow& window) { window.Click(IDCANCEL); };
    CSetupClientApp app;
    AfxWinMain(app);
    EXPECT_EQ(bench.ui.dialogsShown, std::vector<UINT>{IDD_CLIENT_CONFIGURATION});
}

}  // namespace
