#include "framework/win_app.h"

#include <exception>
#include <vector>

#include "framework/prompts.h"
#include "framework/ui_backend.h"
#include "platform/module_file.h"
#include "platform/platform.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp(const wchar_t* appName) : m_previous(g_currentApp) {
    if (appName != nullptr) {
        m_appTitle = appName;
        m_titleGiven = true;
    }
    g_currentApp = this;
}

CWinApp::~CWinApp() {
    if (g_currentApp == this) g_currentApp = m_previous;
}

const MessageMap* CWinApp::GetMessageMap() const {
    static const MessageMap map{CCmdTarget::GetMessageMap(), nullptr, 0};
    return &map;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_exitCode; }

int CWinApp::DoMessageBox(const wchar_t* prompt, UINT type, UINT /*helpContext*/) {
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
        case MB_YESNO:
        case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
        default: break;
        }
    }
    return framework::CurrentPrompts().MessageBox(framework::Ui().ActiveWindow(), prompt, m_appTitle, type);
}

void CWinApp::SetRegistryKey(const wchar_t* company) { m_registryKey = company != nullptr ? company : L""; }

void CWinApp::OnHelp() {}

void CWinApp::InitAppTitle() {
    if (m_titleGiven) return;
    // Read whole, up to the longest path the system keeps: a folder deeper than MAX_PATH would
    // otherwise leave a piece of some folder's name as every message box's caption.
    std::vector<wchar_t> path(32768);
    platform::GetModuleFile().GetFileName(path.data(), static_cast<DWORD>(path.size() - 1));
    std::wstring name(path.data());
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    m_appTitle = name;
}

CWinApp* AfxGetApp() { return g_currentApp; }

int AfxMessageBox(const wchar_t* text, UINT type, UINT helpContext) {
    CWinApp* app = AfxGetApp();
    if (app != nullptr) return app->DoMessageBox(text, type, helpContext);
    return framework::CurrentPrompts().MessageBox(framework::Ui().ActiveWindow(), text, L"", type);
}

int AfxMessageBox(const std::wstring& text, UINT type, UINT helpContext) {
    return AfxMessageBox(text.c_str(), type, helpContext);
}

int AfxWinMain(CWinApp& app) {
    try {
        app.InitAppTitle();
        app.InitInstance();
        // No run mode of ours enters a message loop: the program ends here either way.
        return app.ExitInstance();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("An unexpected error ended the program.");
    }
    return kExitUnexpectedError;
}
