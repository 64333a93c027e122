// The two run modes without a window.
#include <exception>
#include <memory>

#include "app/setup_client_app.h"
#include "params/corvex_parameters.h"

void CSetupClientApp::RunSilentInstall() {
    AddFirewallException();
    if (!RestartService(TRUE)) SetExitCode(GetExitCode() | ExitCode::kServiceNotRunning);
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
        if (!RestartService(TRUE)) SetExitCode(GetExitCode() | ExitCode::kServiceNotRunning);
    } catch (const CorvexParameters::ValidationError& e) {
        // Settings that can't be stored leave the agent as it was: no firewall or service step.
        AfxMessageBox(L"The local settings could not be saved: " + e.GetText(), MB_OK | MB_ICONERROR);
        SetExitCode(GetExitCode() | ExitCode::kSettingsNotSaved);
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
        SetExitCode(GetExitCode() | ExitCode::kSettingsNotSaved);
    }
}
