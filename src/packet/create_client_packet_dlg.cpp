#include "packet/create_client_packet_dlg.h"

#include <boost/format.hpp>

#include "framework/ui_backend.h"
#include "params/corvex_parameters.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "res/resource.h"

WorkstationNameChoice ToWorkstationNameChoice(int nameChoice) {
    switch (nameChoice) {
    case 1: return AskWhileInstalling;
    case 2: return UseTypedName;
    default: return UseComputerName;
    }
}

CCreateClientPacketDlg::CCreateClientPacketDlg() : CSetupClientDlg(IDD_CREATE_PACKET) {}

CCreateClientPacketDlg::~CCreateClientPacketDlg() = default;

const MessageMap* CCreateClientPacketDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand(BN_CLICKED, IDC_NAME_COMPUTER, &CCreateClientPacketDlg::OnNameChoiceClicked),
        MapCommand(BN_CLICKED, IDC_NAME_ASK, &CCreateClientPacketDlg::OnNameChoiceClicked),
        MapCommand(BN_CLICKED, IDC_NAME_TYPED, &CCreateClientPacketDlg::OnNameChoiceClicked),
    };
    static const MessageMap map{CSetupClientDlg::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

void CCreateClientPacketDlg::DoDataExchange(CDataExchange* pDX) {
    CSetupClientDlg::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_NAME_COMPUTER, m_nameChoice);
}

std::wstring CCreateClientPacketDlg::GetUserSettingsDir() {
    return ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\" + L"User\\";
}

std::wstring CCreateClientPacketDlg::GetWorkstationSettingsDir() {
    return ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\" + L"Workstation\\";
}

void CCreateClientPacketDlg::EnableTypedNameBox() {
    GetDlgItem(IDC_WORKSTATION_NAME)->EnableWindow(GetNameChoice() == UseTypedName);
}

BOOL CCreateClientPacketDlg::OnInitDialog() {
    if (!CSetupClientDlg::OnInitDialog()) return FALSE;
    EnableTypedNameBox();
    return TRUE;
}

void CCreateClientPacketDlg::OnNameChoiceClicked() {
    UpdateData(TRUE);
    EnableTypedNameBox();
}

BOOL CCreateClientPacketDlg::LoadParameters(CorvexParameters& parameters) {
    parameters.Load(GetUserSettingsDir(), GetWorkstationSettingsDir());
    return TRUE;
}

BOOL CCreateClientPacketDlg::SaveParameters(CorvexParameters& parameters) {
    // The typed name goes into the kit only with the third choice; otherwise the installed
    // workstation's name is supplied by the system.
    if (GetNameChoice() != UseTypedName) parameters.SetClientName(L"", true);
    parameters.Save(GetUserSettingsDir(), GetWorkstationSettingsDir());
    return TRUE;
}

std::wstring CCreateClientPacketDlg::ChooseOutputFile() {
    CFileDialog dialog(FALSE, L"exe", L"CorvexWorkstation_setup.exe", 0,
                       L"Executive Files (*.exe)|*.exe|All Files (*.*)|*.*|", nullptr);
    if (dialog.DoModal() != IDOK) return std::wstring();
    for (;;) {
        std::wstring path = dialog.GetPathName();
        if (path.size() < 4 || platform::CompareNoCasePortable(path.substr(path.size() - 4), L".exe") != 0) {
            path += L".exe";
        }
        if (platform::GetFileSystem().GetAttributes(path) == INVALID_FILE_ATTRIBUTES) return path;

        const std::wstring question =
            (boost::wformat(L"\"%1%\" already exists. Do you want to replace it?") % path).str();
        switch (AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: return path;
        case IDNO:
            if (dialog.DoModal() != IDOK) return std::wstring();
            break;
        default: return std::wstring();
        }
    }
}

BOOL CCreateClientPacketDlg::ApplySettings() {
    if (!CSetupClientDlg::ApplySettings()) return FALSE;
    // The save may have waited for a file another program held: keys pressed meanwhile must not
    // choose a file before anyone has seen the dialog.
    framework::Ui().DiscardPendingInput();
    const std::wstring output = ChooseOutputFile();
    if (output.empty()) return FALSE;
    if (!BuildPacket(output)) return FALSE;
    const std::wstring done = L"The Client distribution kit is saved into \"" + output + L"\".";
    AfxMessageBox(done, MB_OK | MB_ICONINFORMATION);
    return TRUE;
}
