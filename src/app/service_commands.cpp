// The application's service commands: the controller's errors become message boxes and a
// FALSE result, so that no service error reaches a dialog or a run mode.
#include <cwchar>

#include "app/setup_client_app.h"
#include "service/service_control_exception.h"
#include "service/workstation_service.h"

namespace {

const UINT kErrorBox = MB_OK | MB_ICONHAND;  // 16

void ShowAccessDenied() { AfxMessageBox(L"Access denied", kErrorBox, 0); }

void ShowUnknownError() { AfxMessageBox(L"Unknown system error", kErrorBox, 0); }

void ShowUnknownErrorWithCode(DWORD code) {
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"Unknown system error. Code: %d", static_cast<int>(code));
    AfxMessageBox(text, kErrorBox, 0);
}

}  // namespace

BOOL CSetupClientApp::StartService() {
    try {
        return ServiceControl::WorkstationService().Start() ? TRUE : FALSE;
    } catch (const ServiceControl::ServiceControlAccessDeniedException&) {
        ShowAccessDenied();
    } catch (const ServiceControl::ServiceControlException& e) {
        ShowUnknownErrorWithCode(e.errorCode);
    }
    return FALSE;
}

BOOL CSetupClientApp::StopService() {
    try {
        return ServiceControl::WorkstationService().Stop() ? TRUE : FALSE;
    } catch (const ServiceControl::ServiceControlAccessDeniedException&) {
        ShowAccessDenied();
    } catch (const ServiceControl::ServiceControlException&) {
        ShowUnknownError();
    }
    return FALSE;
}

BOOL CSetupClientApp::IsServiceRunning() {
    try {
        return ServiceControl::WorkstationService().IsRunning() ? TRUE : FALSE;
    } catch (const ServiceControl::ServiceControlAccessDeniedException&) {
        ShowAccessDenied();
    } catch (const ServiceControl::ServiceControlException&) {
        ShowUnknownError();
    }
    return FALSE;
}

bool CSetupClientApp::ServiceRunsNow() {
    try {
        return ServiceControl::WorkstationService().IsRunning();
    } catch (const ServiceControl::ServiceControlException&) {
        return false;
    }
}

BOOL CSetupClientApp::RestartService(BOOL ignoreStopFailure) {
    if (IsServiceRunning()) {
        if (!StopService() && !ignoreStopFailure) return FALSE;
        return StartService() ? TRUE : FALSE;
    }
    return StartService();
}
