// Where the agent executable is, and its firewall exception.
#include "app/setup_client_app.h"
#include "params/firewall_exception.h"
#include "platform/module_file.h"
#include "platform/platform.h"

const wchar_t* const kWorkstationExeName = L"CorvexWorkstation.exe";
const wchar_t* const kFirewallEntryName = L"Corvex Workstation x64";

const wchar_t* CSetupClientApp::GetWorkstationExeName() { return kWorkstationExeName; }

std::wstring CSetupClientApp::GetWorkstationExePath() {
    wchar_t path[MAX_PATH + 1] = {};
    platform::ModuleFile& module = platform::GetModuleFile();
    module.GetFileName(path, MAX_PATH);
    module.RemoveFileSpec(path);
    return std::wstring(path) + L"\\" + GetWorkstationExeName();
}

void CSetupClientApp::AddFirewallException() {
    const std::wstring path = GetWorkstationExePath();
    // Nothing is shown either way; a deployment tool learns the outcome from the exit code.
    if (!DisableWindowsFirewall(path.c_str(), kFirewallEntryName)) {
        SetExitCode(GetExitCode() | ExitCode::kFirewallNotConfirmed);
    }
}
