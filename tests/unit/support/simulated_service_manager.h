// A service manager with one simulated agent service: it starts, stops, refuses and hangs
// as a test tells it, so that the application's and the dialogs' tests can follow a whole
// command through the real controller.
#pragma once

#include <string>
#include <vector>

#include "platform/service_manager.h"

namespace testing_support {

class SimulatedServiceManager : public platform::ServiceManager {
public:
    bool installed = true;
    DWORD state = SERVICE_STOPPED;
    DWORD startType = SERVICE_DEMAND_START;
    // Errors for a refused start or stop request (0: accepted).
    DWORD startRefusedWith = 0;
    DWORD stopRefusedWith = 0;
    // Where an accepted request leaves the service: running/stopped, or stuck pending.
    DWORD stateAfterStart = SERVICE_RUNNING;
    DWORD stateAfterStop = SERVICE_STOPPED;
    // Every opening fails with access denied.
    bool accessDenied = false;
    // The registration: its command line and display name; the error a refused registration,
    // change or deletion gives (0: accepted).
    std::wstring binaryPath = L"\"C:\\Corvex\\CorvexWorkstation.exe\"";
    std::wstring displayName = L"Corvex Workstation x64";
    DWORD registrationRefusedWith = 0;
    bool deleted = false;

    int startRequests = 0;
    int stopRequests = 0;
    std::vector<std::string> log;  // "start", "stop", "query", "config:2", "create", "register", "delete", ...

    platform::ScHandle OpenManager(DWORD desiredAccess) override;
    platform::ScHandle OpenServiceByName(platform::ScHandle manager, const std::wstring& serviceName,
                                         DWORD desiredAccess) override;
    BOOL ChangeStartType(platform::ScHandle service, DWORD type) override;
    BOOL Start(platform::ScHandle service) override;
    BOOL Control(platform::ScHandle service, DWORD control) override;
    BOOL QueryStatus(platform::ScHandle service, platform::ServiceStatus& status) override;
    platform::ScHandle CreateOwnProcessService(platform::ScHandle manager, const std::wstring& serviceName,
                                               const std::wstring& displayName, const std::wstring& binaryPath,
                                               DWORD startType) override;
    BOOL ChangeRegistration(platform::ScHandle service, DWORD startType, const std::wstring& binaryPath,
                            const std::wstring& displayName) override;
    BOOL QueryBinaryPath(platform::ScHandle service, std::wstring& binaryPath) override;
    BOOL Delete(platform::ScHandle service) override;
    BOOL Close(platform::ScHandle handle) override;
    DWORD LastError() override { return m_lastError; }

private:
    BOOL Fail(DWORD error) {
        m_lastError = error;
        return FALSE;
    }
    DWORD m_lastError = 0;
};

}  // namespace testing_support
