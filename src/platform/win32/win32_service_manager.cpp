#include "platform/win32/win32_service_manager.h"

#include "platform/win32/unique_handle.h"

namespace platform {

ScHandle Win32ServiceManager::OpenManager(DWORD desiredAccess) {
    return ::OpenSCManagerW(nullptr, nullptr, desiredAccess);
}

ScHandle Win32ServiceManager::OpenServiceByName(ScHandle manager, const std::wstring& serviceName, DWORD desiredAccess) {
    return ::OpenServiceW(manager, serviceName.c_str(), desiredAccess);
}

BOOL Win32ServiceManager::ChangeStartType(ScHandle service, DWORD startType) {
    return ::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
}

BOOL Win32ServiceManager::Start(ScHandle service) { return ::StartServiceW(service, 0, nullptr); }

BOOL Win32ServiceManager::Control(ScHandle service, DWORD control) {
    SERVICE_STATUS status = {};
    return ::ControlService(service, control, &status);
}

BOOL Win32ServiceManager::QueryStatus(ScHandle service, ServiceStatus& status) {
    SERVICE_STATUS_PROCESS record = {};
    DWORD bytesNeeded = 0;
    static_assert(sizeof(record) == 36, "SERVICE_STATUS_PROCESS is a 36-byte record");
    const BOOL result = ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&record),
                                               sizeof(record), &bytesNeeded);
    status.currentState = record.dwCurrentState;
    status.checkPoint = record.dwCheckPoint;
    status.waitHint = record.dwWaitHint;
    return result;
}

BOOL Win32ServiceManager::Close(ScHandle handle) { return unique_service(handle).close(); }

DWORD Win32ServiceManager::LastError() { return ::GetLastError(); }

}  // namespace platform
