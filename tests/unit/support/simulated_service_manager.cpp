#include "simulated_service_manager.h"

namespace testing_support {
namespace {
platform::ScHandle Handle(std::uintptr_t value) { return reinterpret_cast<platform::ScHandle>(value); }
}  // namespace

platform::ScHandle SimulatedServiceManager::OpenManager(DWORD) {
    if (accessDenied) {
        m_lastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return Handle(1);
}

platform::ScHandle SimulatedServiceManager::OpenServiceByName(platform::ScHandle, const std::wstring&, DWORD) {
    if (!installed) {
        m_lastError = ERROR_SERVICE_DOES_NOT_EXIST;
        return nullptr;
    }
    return Handle(2);
}

BOOL SimulatedServiceManager::ChangeStartType(platform::ScHandle, DWORD type) {
    log.push_back("config:" + std::to_string(type));
    startType = type;
    return TRUE;
}

BOOL SimulatedServiceManager::Start(platform::ScHandle) {
    log.push_back("start");
    ++startRequests;
    if (state != SERVICE_STOPPED) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
    if (startRefusedWith != 0) return Fail(startRefusedWith);
    state = stateAfterStart;
    return TRUE;
}

BOOL SimulatedServiceManager::Control(platform::ScHandle, DWORD) {
    log.push_back("stop");
    ++stopRequests;
    if (state == SERVICE_STOPPED) return Fail(ERROR_SERVICE_NOT_ACTIVE);
    if (stopRefusedWith != 0) return Fail(stopRefusedWith);
    state = stateAfterStop;
    return TRUE;
}

BOOL SimulatedServiceManager::QueryStatus(platform::ScHandle, platform::ServiceStatus& status) {
    log.push_back("query");
    status.currentState = state;
    status.checkPoint = 0;
    status.waitHint = 0;
    return TRUE;
}

platform::ScHandle SimulatedServiceManager::CreateOwnProcessService(platform::ScHandle, const std::wstring&,
                                                                    const std::wstring& name,
                                                                    const std::wstring& path, DWORD type) {
    log.push_back("create");
    if (installed) {
        m_lastError = ERROR_SERVICE_EXISTS;
        return nullptr;
    }
    if (registrationRefusedWith != 0) {
        m_lastError = registrationRefusedWith;
        return nullptr;
    }
    installed = true;
    deleted = false;
    state = SERVICE_STOPPED;
    startType = type;
    binaryPath = path;
    displayName = name;
    return Handle(2);
}

BOOL SimulatedServiceManager::ChangeRegistration(platform::ScHandle, DWORD type, const std::wstring& path,
                                                 const std::wstring& name) {
    log.push_back("register");
    if (registrationRefusedWith != 0) return Fail(registrationRefusedWith);
    startType = type;
    binaryPath = path;
    displayName = name;
    return TRUE;
}

BOOL SimulatedServiceManager::QueryBinaryPath(platform::ScHandle, std::wstring& path) {
    path = binaryPath;
    return TRUE;
}

BOOL SimulatedServiceManager::Delete(platform::ScHandle) {
    log.push_back("delete");
    if (registrationRefusedWith != 0) return Fail(registrationRefusedWith);
    installed = false;
    deleted = true;
    return TRUE;
}

BOOL SimulatedServiceManager::Close(platform::ScHandle) { return TRUE; }

}  // namespace testing_support
