// Where the agent executable is, and its firewall exception.
#include "app/setup_client_app.h"
#include "params/firewall_exception.h"
#include "platform/module_file.h"
#include "platform/platform.h"

const wchar_t* const kWorkstationExeName = L"CorvexWorkstation.exe";
const wchar_t* const kFirewallEntryName = L"Corvex Workstation x64";

const wchar_t* CSetupClientApp::GetWorkstationExeName() { return kWorkstationExeName; }

std::wstring CSetupClientApp::GetWorkstationExePath() {
    // Throws platform::ModulePathError when the configurator's path was cut.
    const std::wstring folder = platform::ReadModuleDirectory(platform::GetModuleFile());
    return folder + L"\\" + GetWorkstationExeName();
}

void CSetupClientApp::AddFirewallException() {
    std::wstring path;
    try {
        path = GetWorkstationExePath();
    } catch (const platform::ModulePathError& e) {
        // A cut path would name some other program: no exception is asked for, and the user
        // is told why.
        AfxMessageBox(L"The firewall exception for the agent was not added. " + e.Text(), MB_OK | MB_ICONERROR);
        SetExitCode(GetExitCode() | ExitCode::kFirewallNotConfirmed);
        return;
    }
    // Nothing is shown either way; a deployment tool learns the outcome from the exit code.
    if (!DisableWindowsFirewall(path.c_str(), kFirewallEntryName)) {
        SetExitCode(GetExitCode() | ExitCode::kFirewallNotConfirmed);
    }
}
