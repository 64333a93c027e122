#include "dialogs/setup_client_dlg.h"

#include <exception>

#include "framework/ui_backend.h"
#include "params/corvex_parameters.h"
#include "platform/machine_name.h"
#include "platform/platform.h"
#include "res/resource.h"

CSetupClientDlg::CSetupClientDlg(UINT templateId)
    : CDialog(templateId, nullptr), m_hIcon(framework::Ui().LoadIcon(IDR_MAINFRAME)) {}

CSetupClientDlg::~CSetupClientDlg() = default;

const MessageMap* CSetupClientDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage(WM_PAINT, &CSetupClientDlg::OnPaint),
        MapQueryDragIcon(&CSetupClientDlg::OnQueryDragIcon),
        MapCommand(BN_CLICKED, IDC_LOAD_DEFAULTS, &CSetupClientDlg::OnLoadDefaults),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

void CSetupClientDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ADMIN_LOGIN, m_adminLogin);
    DDX_Text(pDX, IDC_WORKSTATION_NAME, m_workstationName);
    DDX_Text(pDX, IDC_SERVER_HOST, m_serverHost);
    DDX_Text(pDX, IDC_SERVER_PORT, m_serverPort);
}

void CSetupClientDlg::ParametersToControls(const CorvexParameters& parameters) {
    m_workstationName = parameters.GetClientName();
    m_adminLogin = parameters.GetAllowedUserName();
    m_serverHost = parameters.GetCoordinatorHost();
    m_serverPort = parameters.GetCoordinatorPort();
}

std::unique_ptr<CorvexParameters> CSetupClientDlg::CreateParameters() {
    return std::unique_ptr<CorvexParameters>(new CorvexParameters(L"client"));
}

void CSetupClientDlg::ShowWhatAnEmptyNameMeans() {
    std::wstring hint;
    if (GetTemplateId() == IDD_CREATE_PACKET) {
        hint = L"Leave empty to use each workstation's own network name";
    } else {
        const std::wstring name = platform::GetMachineName().ComputerName();
        hint = L"Leave empty to use this computer's network name";
        if (!name.empty()) hint += L", " + name;
    }
    GetDlgItem(IDC_WORKSTATION_NAME)->SetCueBanner(hint);
}

BOOL CSetupClientDlg::OnInitDialog() {
    ShowWhatAnEmptyNameMeans();
    try {
        std::unique_ptr<CorvexParameters> parameters = CreateParameters();
        LoadParameters(*parameters);
        ParametersToControls(*parameters);
    } catch (const std::exception& e) {
        // The dialog opens all the same, with empty controls.
        ShowErrorBox(e.what());
        return FALSE;
    }
    m_modified = FALSE;
    if (!CDialog::OnInitDialog()) return FALSE;
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

BOOL CSetupClientDlg::ApplySettings() {
    if (!UpdateData(TRUE)) return FALSE;
    try {
        std::unique_ptr<CorvexParameters> parameters = CreateParameters();
        parameters->SetClientName(m_workstationName, false);
        parameters->SetUserName(m_adminLogin);
        // The library's port is 16 bits wide: a larger number is refused here, before it
        // could be cut to a different, valid port.
        CorvexParameters::CheckPort(m_serverPort, &m_serverPort);
        parameters->SetCoordinator(m_serverHost, static_cast<unsigned short>(m_serverPort & 0xFFFFu),
                                   CorvexParameters::Defaults::isSecured);
        if (SaveParameters(*parameters)) m_modified = FALSE;
        return TRUE;
    } catch (const CorvexParameters::ValidationError& e) {
        FocusRejectedValue(e.GetField());
        AfxMessageBox(e.GetText(), MB_OK | MB_ICONEXCLAMATION);
    } catch (const std::exception& e) {
        // The save may have waited for a file another program held: keys pressed meanwhile must
        // not answer the box before anyone has read it.
        framework::Ui().DiscardPendingInput();
        ShowErrorBox(e.what());
    }
    return FALSE;
}

void CSetupClientDlg::FocusRejectedValue(const void* field) {
    const struct {
        const void* field;
        int control;
    } table[] = {
        {&m_workstationName, IDC_WORKSTATION_NAME},
        {&m_serverHost, IDC_SERVER_HOST},
        {&m_serverPort, IDC_SERVER_PORT},
        {&m_adminLogin, IDC_ADMIN_LOGIN},
    };
    for (const auto& entry : table) {
        if (entry.field == field) {
            GetDlgItem(entry.control)->SetFocus();
            return;
        }
    }
}

void CSetupClientDlg::OnOK() {
    if (ApplySettings()) CDialog::OnOK();
}

void CSetupClientDlg::OnLoadDefaults() {
    std::unique_ptr<CorvexParameters> parameters = CreateParameters();
    parameters->LoadSystemDefaults();
    ParametersToControls(*parameters);
    UpdateData(FALSE);
}

void CSetupClientDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = framework::Ui().GetSystemMetrics(SM_CXICON);
    const int iconHeight = framework::Ui().GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (static_cast<int>(rect.right - rect.left) - iconWidth + 1) / 2;
    const int y = (static_cast<int>(rect.bottom - rect.top) - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CSetupClientDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CSetupClientDlg::OnSettingChanged() { m_modified = TRUE; }
