#include "dialogs/client_configuration_dlg.h"

#include "app/setup_client_app.h"
#include "params/corvex_parameters.h"
#include "res/resource.h"

namespace {

CSetupClientApp& App() { return *static_cast<CSetupClientApp*>(AfxGetApp()); }

bool IsServiceButton(int id) { return id == IDC_START || id == IDC_STOP || id == IDC_RESTART; }

}  // namespace

CClientConfigurationDlg::CClientConfigurationDlg() : CSetupClientDlg(IDD_CLIENT_CONFIGURATION) {}

CClientConfigurationDlg::~CClientConfigurationDlg() = default;

const MessageMap* CClientConfigurationDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand(BN_CLICKED, IDC_START, &CClientConfigurationDlg::OnBnClickedStart),
        MapCommand(BN_CLICKED, IDC_STOP, &CClientConfigurationDlg::OnBnClickedStop),
        MapCommand(BN_CLICKED, IDC_RESTART, &CClientConfigurationDlg::OnBnClickedRestart),
        MapCommand(EN_CHANGE, IDC_SERVER_HOST, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_SERVER_PORT, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_WORKSTATION_NAME, &CSetupClientDlg::OnSettingChanged),
        MapCommand(EN_CHANGE, IDC_ADMIN_LOGIN, &CSetupClientDlg::OnSettingChanged),
    };
    static const MessageMap map{CSetupClientDlg::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

void CClientConfigurationDlg::UpdateServiceButtons() { ShowServiceState(App().IsServiceRunning()); }

void CClientConfigurationDlg::ShowServiceState(BOOL running) {
    GetDlgItem(IDC_START)->EnableWindow(!running);
    GetDlgItem(IDC_STOP)->EnableWindow(running);
    GetDlgItem(IDC_RESTART)->EnableWindow(running);
    ReturnFocusToServiceButtons();
}

void CClientConfigurationDlg::DisableServiceButtons() {
    // A disabled control can't keep the focus: without a new home the focus would be nowhere
    // and Tab and Escape would do nothing. OK holds it while the command runs.
    CWnd* focused = GetFocus();
    if (focused != nullptr && IsServiceButton(focused->GetDlgCtrlID())) {
        m_focusedServiceButton = focused->GetDlgCtrlID();
        GetDlgItem(IDOK)->SetFocus();
    }
    GetDlgItem(IDC_START)->EnableWindow(FALSE);
    GetDlgItem(IDC_STOP)->EnableWindow(FALSE);
    GetDlgItem(IDC_RESTART)->EnableWindow(FALSE);
}

void CClientConfigurationDlg::ReturnFocusToServiceButtons() {
    const int clicked = m_focusedServiceButton;
    m_focusedServiceButton = 0;
    if (clicked == 0) return;
    // Only a focus that is still where the command put it (an apply refused by the library
    // puts it on the rejected value).
    CWnd* focused = GetFocus();
    if (focused == nullptr || focused->GetDlgCtrlID() != IDOK) return;
    // The same button when it is live again (Restart), else the one that undoes the command
    // (Start after Stop, Stop after Start).
    for (int id : {clicked, IDC_START, IDC_STOP}) {
        if (GetDlgItem(id)->IsWindowEnabled()) {
            GetDlgItem(id)->SetFocus();
            return;
        }
    }
}

BOOL CClientConfigurationDlg::OnInitDialog() {
    if (!CSetupClientDlg::OnInitDialog()) return FALSE;
    UpdateServiceButtons();
    return TRUE;
}

BOOL CClientConfigurationDlg::LoadParameters(CorvexParameters& parameters) {
    parameters.Load();
    return TRUE;
}

BOOL CClientConfigurationDlg::SaveParameters(CorvexParameters& parameters) {
    parameters.Save(true);
    return TRUE;
}

BOOL CClientConfigurationDlg::ApplySettings() {
    if (!CSetupClientDlg::ApplySettings()) return FALSE;
    App().AddFirewallException();
    const BOOL restarted = App().RestartService(FALSE);
    // The dialog stays open: its buttons show what the service really does now, asked without
    // another message (the restart has told what failed).
    if (!restarted) ShowServiceState(App().ServiceRunsNow());
    return restarted;
}

BOOL CClientConfigurationDlg::StartWorkstation() {
    DisableServiceButtons();
    if (m_modified) {
        switch (AfxMessageBox(L"Do you want to apply the settings?", MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDCANCEL: UpdateServiceButtons(); return FALSE;
        case IDYES: {
            const BOOL applied = ApplySettings();
            // Applying ends with the restart rule, which has already started the service:
            // a second start request would only be refused as "already running".
            UpdateServiceButtons();
            return applied;
        }
        default: break;  // No: start with the settings stored before
        }
    }
    const BOOL started = App().StartService();
    UpdateServiceButtons();
    return started;
}

BOOL CClientConfigurationDlg::StopWorkstation() {
    DisableServiceButtons();
    const BOOL stopped = App().StopService();
    UpdateServiceButtons();
    return stopped;
}

void CClientConfigurationDlg::OnBnClickedStart() { StartWorkstation(); }

void CClientConfigurationDlg::OnBnClickedStop() { StopWorkstation(); }

void CClientConfigurationDlg::OnBnClickedRestart() {
    DisableServiceButtons();
    App().RestartService(TRUE);
    UpdateServiceButtons();
}
