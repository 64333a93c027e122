// Which run mode a command line chooses, and what start-up does around it.
#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "dialog_driver.h"
#include "dialogs/setup_client_dlg.h"
#include "res/resource.h"

namespace {

using testing_support::AppBench;
using testing_support::DialogDriver;

enum class Shown { None, Configuration, Kit, Install };

// Which of the three dialogs the driver is on, told by the controls only one of them has.
Shown Which(const DialogDriver& w) {
    if (w.Has(IDC_NAME_COMPUTER)) return Shown::Kit;
    return w.Has(IDC_START) ? Shown::Configuration : Shown::Install;
}

// Runs the program on the bench; `button` is clicked in the dialog it shows, if any.
int RunProgram(CSetupClientApp& app, int button, Shown& shown) {
    shown = Shown::None;
    return static_cast<int>(testing_support::RunModal([&] { return AfxWinMain(app); },
                                                      [&](DialogDriver& w) {
                                                          shown = Which(w);
                                                          w.Click(button);
                                                      }));
}

// What a run did: the dialog it showed, whether it touched the service, and its exit code
// when the user pressed `button` in the dialog.
struct RunModeCase {
    const wchar_t* arguments;
    Shown dialog;
    bool serviceTouched;
    int button = IDCANCEL;
    int exitCode = ExitCode::kCancelled;
};

class RunModeTest : public ::testing::TestWithParam<RunModeCase> {};

TEST_P(RunModeTest, TheCommandLineChoosesExactlyOneModeAndItsExitCode) {
    AppBench bench;
    bench.CommandLine(GetParam().arguments);
    bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
    CSetupClientApp app;
    Shown shown;
    EXPECT_EQ(RunProgram(app, GetParam().button, shown),
              GetParam().dialog == Shown::None ? ExitCode::kSuccess : GetParam().exitCode);
    EXPECT_EQ(shown, GetParam().dialog);
    EXPECT_EQ(!bench.services.calls.empty(), GetParam().serviceTouched);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, RunModeTest,
    ::testing::Values(
        RunModeCase{L"", Shown::Configuration, true},  // the dialog asks for the service state
        RunModeCase{L"", Shown::Configuration, true, IDOK, ExitCode::kSuccess},
        RunModeCase{L"--create_packet", Shown::Kit, false},
        // The install-time dialog has no way out but OK, which applies the settings.
        RunModeCase{L"--install_client", Shown::Install, true, IDOK, ExitCode::kSuccess},
        RunModeCase{L"\"--create_packet\"", Shown::Kit, false},
        RunModeCase{L"--SILENT_INSTALL", Shown::None, true},
        RunModeCase{L"--silent_install_local", Shown::None, true},
        // Near misses are not switches.
        RunModeCase{L"--silent_install=1", Shown::Configuration, true},
        RunModeCase{L"/silent_install", Shown::Configuration, true},
        RunModeCase{L"silent_install", Shown::Configuration, true},
        RunModeCase{L"\"--create_packet install\"", Shown::Configuration, true},
        // Precedence: silent install, silent local install, kit, install-time, default.
        RunModeCase{L"--install_client --create_packet", Shown::Kit, false},
        RunModeCase{L"--silent_install_local --create_packet", Shown::None, true},
        RunModeCase{L"foo --install_client bar --debug", Shown::Install, true, IDOK,
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
    CSetupClientApp app;
    Shown shown;
    RunProgram(app, IDCANCEL, shown);
    EXPECT_EQ(shown, Shown::Configuration);
}

}  // namespace
