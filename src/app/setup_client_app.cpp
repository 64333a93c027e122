#include "app/setup_client_app.h"

#include <vector>

#include "dialogs/client_configuration_dlg.h"
#include "dialogs/install_client_configuration_dlg.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/command_line.h"
#include "platform/platform.h"

CSetupClientApp::CSetupClientApp() = default;

CSetupClientApp::~CSetupClientApp() = default;

const MessageMap* CSetupClientApp::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand(BN_CLICKED, ID_HELP, &CWinApp::OnHelp),
    };
    static const MessageMap map{CWinApp::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

BOOL CSetupClientApp::InitInstance() {
    framework::Ui().InitCommonControls(0xFF);  // ICC_WIN95_CLASSES: the standard set
    CWinApp::InitInstance();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    if (IsSilentInstallMode()) {
        RunSilentInstall();
        return FALSE;
    }
    if (IsSilentInstallLocalMode()) {
        RunSilentLocalInstall();
        return FALSE;
    }
    std::unique_ptr<CSetupClientDlg> dialog = CreateSettingsDialog();
    const INT_PTR result = dialog->DoModal();
    dialog.reset();
    SetExitCode(result == IDOK       ? ExitCode::kSuccess
                : result == IDCANCEL ? ExitCode::kCancelled
                                     : ExitCode::kUnexpectedError);
    return FALSE;
}

BOOL CSetupClientApp::HasCommandLineOption(const wchar_t* option) {
    platform::CommandLine& commandLine = platform::GetCommandLine();
    std::vector<std::wstring> arguments;
    if (!commandLine.Split(commandLine.Get(), arguments)) return FALSE;
    const std::wstring wanted = std::wstring(L"--") + option;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (commandLine.CompareNoCase(arguments[i], wanted) == 0) return TRUE;
    }
    return FALSE;
}

BOOL CSetupClientApp::IsCreatePacketMode() { return HasCommandLineOption(L"create_packet"); }

BOOL CSetupClientApp::IsSilentInstallMode() { return HasCommandLineOption(L"silent_install"); }

BOOL CSetupClientApp::IsInstallClientMode() { return HasCommandLineOption(L"install_client"); }

BOOL CSetupClientApp::IsSilentInstallLocalMode() { return HasCommandLineOption(L"silent_install_local"); }

std::unique_ptr<CSetupClientDlg> CSetupClientApp::CreateSettingsDialog() {
    if (IsCreatePacketMode()) return std::unique_ptr<CSetupClientDlg>(new CCreateClientPacketDlg());
    if (IsInstallClientMode()) return std::unique_ptr<CSetupClientDlg>(new CInstallClientConfigurationDlg());
    return std::unique_ptr<CSetupClientDlg>(new CClientConfigurationDlg());
}
