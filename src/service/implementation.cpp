#include "service/implementation.h"

#include "platform/platform.h"
#include "service/service_control_exception.h"

namespace ServiceControl {

void ThrowError(DWORD errorCode) {
    if (errorCode == ERROR_ACCESS_DENIED) throw ServiceControlAccessDeniedException();
    throw ServiceControlException(errorCode);
}

Implementation::Implementation(DWORD desiredAccess) : manager(nullptr), service(nullptr) {
    platform::ServiceManager& services = platform::GetServiceManager();
    manager = services.OpenManager(desiredAccess);
    if (manager == nullptr) ThrowError(services.LastError());

    service = services.OpenServiceByName(manager, kServiceName, desiredAccess);
    if (service == nullptr) {
        // The error code first: closing may change the last error.
        const DWORD errorCode = services.LastError();
        services.Close(manager);
        manager = nullptr;
        ThrowError(errorCode);
    }
}

Implementation::~Implementation() {
    if (service == nullptr && manager == nullptr) return;
    platform::ServiceManager& services = platform::GetServiceManager();
    if (service != nullptr) services.Close(service);
    if (manager != nullptr) services.Close(manager);
}

}  // namespace ServiceControl
