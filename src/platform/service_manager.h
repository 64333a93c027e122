// Seam: the Windows service control manager, as far as the service controller uses it.
// (Method names avoid the system's A/W macro names such as OpenService and StartService.)
#pragma once

#include <string>

#include "platform/wintypes.h"

namespace platform {

// A handle to the service control manager or to one service; null when absent.
#ifdef _WIN32
using ScHandle = SC_HANDLE;
#else
using ScHandle = void*;
#endif

// The fields of the system's 36-byte SERVICE_STATUS_PROCESS record that the controller reads.
struct ServiceStatus {
    DWORD currentState = 0;
    DWORD checkPoint = 0;
    DWORD waitHint = 0;
};

class ServiceManager {
public:
    virtual ~ServiceManager() = default;

    // OpenSCManagerW on the local machine's active database; null on failure.
    virtual ScHandle OpenManager(DWORD desiredAccess) = 0;
    // OpenServiceW by key name; null on failure.
    virtual ScHandle OpenServiceByName(ScHandle manager, const std::wstring& serviceName, DWORD desiredAccess) = 0;
    // ChangeServiceConfigW changing only the start type; zero on failure.
    virtual BOOL ChangeStartType(ScHandle service, DWORD startType) = 0;
    // StartServiceW with no arguments; zero on refusal.
    virtual BOOL Start(ScHandle service) = 0;
    // ControlService with the given control; the status record it fills is dropped. Zero on refusal.
    virtual BOOL Control(ScHandle service, DWORD control) = 0;
    // QueryServiceStatusEx at level SC_STATUS_PROCESS_INFO into a 36-byte record. Gives the
    // call's raw return value; the record's fields are copied into `status` whatever it returns.
    virtual BOOL QueryStatus(ScHandle service, ServiceStatus& status) = 0;
    // CreateServiceW for a service of its own process that starts with `startType`, with
    // normal error control, on the local system account; null on failure (ERROR_SERVICE_EXISTS
    // when the name is taken).
    virtual ScHandle CreateOwnProcessService(ScHandle manager, const std::wstring& serviceName,
                                             const std::wstring& displayName, const std::wstring& binaryPath,
                                             DWORD startType) = 0;
    // ChangeServiceConfigW changing the start type, the command line and the display name.
    virtual BOOL ChangeRegistration(ScHandle service, DWORD startType, const std::wstring& binaryPath,
                                    const std::wstring& displayName) = 0;
    // QueryServiceConfigW: the service's command line. Zero on failure.
    virtual BOOL QueryBinaryPath(ScHandle service, std::wstring& binaryPath) = 0;
    // DeleteService: marks the service for deletion. Zero on refusal.
    virtual BOOL Delete(ScHandle service) = 0;
    // CloseServiceHandle.
    virtual BOOL Close(ScHandle handle) = 0;
    // GetLastError: the error code of the call that failed last.
    virtual DWORD LastError() = 0;
};

}  // namespace platform
