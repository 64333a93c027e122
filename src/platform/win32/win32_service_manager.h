// The real service control manager, on Win32.
#pragma once

#include "platform/service_manager.h"

namespace platform {

class Win32ServiceManager : public ServiceManager {
public:
    ScHandle OpenManager(DWORD desiredAccess) override;
    ScHandle OpenServiceByName(ScHandle manager, const std::wstring& serviceName, DWORD desiredAccess) override;
    BOOL ChangeStartType(ScHandle service, DWORD startType) override;
    BOOL Start(ScHandle service) override;
    BOOL Control(ScHandle service, DWORD control) override;
    BOOL QueryStatus(ScHandle service, ServiceStatus& status) override;
    ScHandle CreateOwnProcessService(ScHandle manager, const std::wstring& serviceName, const std::wstring& displayName,
                                     const std::wstring& binaryPath, DWORD startType) override;
    BOOL ChangeRegistration(ScHandle service, DWORD startType, const std::wstring& binaryPath,
                            const std::wstring& displayName) override;
    BOOL QueryBinaryPath(ScHandle service, std::wstring& binaryPath) override;
    BOOL Delete(ScHandle service) override;
    BOOL Close(ScHandle handle) override;
    DWORD LastError() override;
};

}  // namespace platform
