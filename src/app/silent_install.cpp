// The two run modes without a window.
#include <exception>
#include <memory>

#include "app/setup_client_app.h"
#include "params/corvex_parameters.h"

namespace {

// Restarts the agent; the exit code's part of it: not running at the end, or running without
// the restart (its stop refused or unfinished), so on the settings it read before. The end's
// state is asked afresh: the restart's result can't tell it (a service that refused to stop
// still runs; a start that never finished showed no message).
int RestartAgent(CSetupClientApp& app) {
    const BOOL restarted = app.RestartService(TRUE);
    if (!app.ServiceRunsNow()) return ExitCode::kServiceNotRunning;
    return restarted ? ExitCode::kSuccess : ExitCode::kNotRestarted;
}

}  // namespace

void CSetupClientApp::RunSilentInstall() {
    AddFirewallException();
    SetExitCode(GetExitCode() | RestartAgent(*this));
}

void CSetupClientApp::RunSilentLocalInstall() {
    try {
        std::unique_ptr<CorvexParameters> parameters(new CorvexParameters(L"client"));
        parameters->LoadSystemDefaults();
        parameters->SetClientName(L"localhost", true);
        parameters->SetCoordinator(L"localhost", CorvexParameters::Defaults::coordinatorPort,
                                   CorvexParameters::Defaults::isSecured);
        parameters->Save(true);
        AddFirewallException();
        SetExitCode(GetExitCode() | RestartAgent(*this));
    } catch (const CorvexParameters::ValidationError& e) {
        // Settings that can't be stored leave the agent as it was: no firewall or service step.
        AfxMessageBox(L"The local settings could not be saved: " + e.GetText(), MB_OK | MB_ICONERROR);
        SetExitCode(GetExitCode() | ExitCode::kSettingsNotSaved);
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
        SetExitCode(GetExitCode() | ExitCode::kSettingsNotSaved);
    }
}
