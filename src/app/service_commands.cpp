// The application's service commands: the controller's errors become message boxes and a
// FALSE result, so that no service error reaches a dialog or a run mode.
#include <cwchar>

#include "app/setup_client_app.h"
#include "framework/ui_backend.h"
#include "service/service_control_exception.h"
#include "service/workstation_service.h"

namespace {

const UINT kErrorBox = MB_OK | MB_ICONHAND;  // 16

// The thread reads no input while a command waits for the service, so keys and clicks given
// meanwhile wait in its queue. They were meant for a window that did not respond: dropped, they
// can neither press the button that has the focus afterwards (the one that undoes the command)
// nor answer a box of ours unread.
BOOL AfterTheWait(bool done) { return framework::Ui().DiscardPendingInput(), done ? TRUE : FALSE; }

void ShowError(const wchar_t* text) {
    framework::Ui().DiscardPendingInput();
    AfxMessageBox(text, kErrorBox, 0);
}

void ShowAccessDenied() { ShowError(L"Access denied"); }

void ShowUnknownError() { ShowError(L"Unknown system error"); }

void ShowUnknownErrorWithCode(DWORD code) {
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"Unknown system error. Code: %d", static_cast<int>(code));
    ShowError(text);
}

}  // namespace

BOOL CSetupClientApp::StartService() {
    try {
        return AfterTheWait(ServiceControl::WorkstationService().Start());
    } catch (const ServiceControl::ServiceControlAccessDeniedException&) {
        ShowAccessDenied();
    } catch (const ServiceControl::ServiceControlException& e) {
        ShowUnknownErrorWithCode(e.errorCode);
    }
    return FALSE;
}

BOOL CSetupClientApp::StopService() {
    try {
        return AfterTheWait(ServiceControl::WorkstationService().Stop());
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
