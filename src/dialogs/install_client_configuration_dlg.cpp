#include "dialogs/install_client_configuration_dlg.h"

#include "app/setup_client_app.h"
#include "params/corvex_parameters.h"
#include "res/resource.h"

CInstallClientConfigurationDlg::CInstallClientConfigurationDlg() : CSetupClientDlg(IDD_INSTALL_CLIENT_CONFIGURATION) {}

const MessageMap* CInstallClientConfigurationDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand(EN_CHANGE, IDC_SERVER_HOST, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_SERVER_PORT, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_WORKSTATION_NAME, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_ADMIN_LOGIN, &CSetupClientDlg::OnSettingChanged),
    };
    static const MessageMap map{CSetupClientDlg::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

BOOL CInstallClientConfigurationDlg::LoadParameters(CorvexParameters& parameters) {
    parameters.Load();
    return TRUE;
}

BOOL CInstallClientConfigurationDlg::SaveParameters(CorvexParameters& parameters) {
    parameters.Save(true);
    return TRUE;
}

BOOL CInstallClientConfigurationDlg::ApplySettings() {
    if (!CSetupClientDlg::ApplySettings()) return FALSE;
    CSetupClientApp& app = *static_cast<CSetupClientApp*>(AfxGetApp());
    app.AddFirewallException();
    if (app.IsServiceRunning()) {
        app.StopService();
        app.StartService();
    } else {
        app.StartService();
    }
    return TRUE;
}

void CInstallClientConfigurationDlg::OnCancel() {}
