#include "platform/win32/win32_service_manager.h"

#include <vector>

#include "platform/win32/unique_handle.h"

namespace platform {

ScHandle Win32ServiceManager::OpenManager(DWORD desiredAccess) {
    return ::OpenSCManagerW(nullptr, nullptr, desiredAccess);
}

ScHandle Win32ServiceManager::OpenServiceByName(ScHandle manager, const std::wstring& serviceName,
                                                DWORD desiredAccess) {
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

ScHandle Win32ServiceManager::CreateOwnProcessService(ScHandle manager, const std::wstring& serviceName,
                                                      const std::wstring& displayName, const std::wstring& binaryPath,
                                                      DWORD startType) {
    return ::CreateServiceW(manager, serviceName.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS,
                            SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr,
                            nullptr, nullptr, nullptr, nullptr);
}

BOOL Win32ServiceManager::ChangeRegistration(ScHandle service, DWORD startType, const std::wstring& binaryPath,
                                             const std::wstring& displayName) {
    return ::ChangeServiceConfigW(service, SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL,
                                  binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, displayName.c_str());
}

BOOL Win32ServiceManager::QueryBinaryPath(ScHandle service, std::wstring& binaryPath) {
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return FALSE;
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service, config, needed, &needed)) return FALSE;
    binaryPath = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L"";
    return TRUE;
}

BOOL Win32ServiceManager::Delete(ScHandle service) { return ::DeleteService(service); }

BOOL Win32ServiceManager::Close(ScHandle handle) { return unique_service(handle).close(); }

DWORD Win32ServiceManager::LastError() { return ::GetLastError(); }

}  // namespace platform
